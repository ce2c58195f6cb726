#include "ScriptCompiler.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace actions {
namespace {

struct Token {
  enum Kind { End, Name, Number, Text, Punct } kind = End;
  std::string text;
};

std::vector<Token> Tokens(const std::string& s) {
  static const char* const punct[] = {">>>=", "===", "!==", ">>>", "<<=", ">>=", "==", "!=", "<=", ">=", "&&",
                                      "||",   "++",  "--",  "+=",  "-=",  "*=",  "/=", "%=", "<<", ">>", "|=",
                                      "&=",   "^="};
  std::vector<Token> out;
  size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
      while (i < s.size() && s[i] != '\n') ++i;
    } else if (std::isdigit(static_cast<unsigned char>(c)) ||
               (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      const size_t start = i;
      if (c == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        i += 2;
        while (i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i]))) ++i;
      } else {
        while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
        if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
          ++i;
          if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
          while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
        }
      }
      out.push_back({Token::Number, s.substr(start, i - start)});
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$') {
      const size_t start = i;
      while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_' || s[i] == '$')) ++i;
      out.push_back({Token::Name, s.substr(start, i - start)});
    } else if (c == '\'' || c == '"') {
      std::string text;
      for (++i; i < s.size() && s[i] != c; ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
          const char e = s[++i];
          text += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
        } else {
          text += s[i];
        }
      }
      if (i >= s.size()) throw std::runtime_error("unterminated text");
      ++i;
      out.push_back({Token::Text, text});
    } else {
      std::string p(1, c);
      for (const char* candidate : punct) {
        if (s.compare(i, std::strlen(candidate), candidate) == 0) {
          p = candidate;
          break;
        }
      }
      i += p.size();
      out.push_back({Token::Punct, p});
    }
  }
  out.push_back({Token::End, ""});
  return out;
}

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "'";
}

std::string NumberText(const std::string& literal) {
  const double d = literal.size() > 1 && (literal[1] == 'x' || literal[1] == 'X')
                       ? static_cast<double>(std::strtoull(literal.c_str(), nullptr, 16))
                       : std::strtod(literal.c_str(), nullptr);
  char buf[64];
  if (d == static_cast<double>(static_cast<long long>(d)) && d > -1e15 && d < 1e15) {
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(d));
  } else {
    std::snprintf(buf, sizeof buf, "%.17g", d);
    if (!std::strpbrk(buf, ".eE")) std::strcat(buf, ".0");
  }
  return buf;
}

class Compiler {
 public:
  explicit Compiler(const std::string& source) : t_(Tokens(source)) {}

  std::string Run() {
    std::string out;
    while (Peek().kind != Token::End) Statement(out);
    return out;
  }

 private:
  const Token& Peek(size_t ahead = 0) const { return t_[std::min(at_ + ahead, t_.size() - 1)]; }
  Token Next() {
    const Token t = Peek();
    if (at_ < t_.size() - 1) ++at_;
    return t;
  }
  bool Is(const char* p, size_t ahead = 0) const {
    const Token& t = Peek(ahead);
    return (t.kind == Token::Punct || t.kind == Token::Name) && t.text == p;
  }
  bool Take(const char* p) {
    if (!Is(p)) return false;
    Next();
    return true;
  }
  void Expect(const char* p) {
    if (!Take(p)) throw std::runtime_error(std::string("expected ") + p + " near '" + Peek().text + "'");
  }
  std::string Name() {
    const Token t = Next();
    if (t.kind != Token::Name) throw std::runtime_error("expected a name near '" + t.text + "'");
    return t.text;
  }
  std::string Label() { return "L" + std::to_string(labels_++); }

  // ---- Statements ----------------------------------------------------------------------

  void Statement(std::string& out) {
    if (Take(";")) return;
    if (Take("{")) {
      while (!Take("}")) {
        if (Peek().kind == Token::End) throw std::runtime_error("expected }");
        Statement(out);
      }
      return;
    }
    if (Is("var")) {
      Next();
      Vars(out);
      Take(";");
      return;
    }
    if (Is("function") && Peek(1).kind == Token::Name) {
      Next();
      const std::string name = Name();
      out += Function(name) + ";\n";
      return;
    }
    if (Take("if")) {
      Expect("(");
      const std::string cond = Expression();
      Expect(")");
      const std::string otherwise = Label(), end = Label();
      out += cond + "not; if " + otherwise + ";\n";
      Statement(out);
      out += "jump " + end + ";\n" + otherwise + ":\n";
      if (Take("else")) Statement(out);
      out += end + ":\n";
      return;
    }
    if (Take("while")) {
      Expect("(");
      const std::string top = Label(), end = Label();
      out += top + ":\n" + Expression();
      Expect(")");
      out += "not; if " + end + ";\n";
      Statement(out);
      out += "jump " + top + ";\n" + end + ":\n";
      return;
    }
    if (Take("for")) return For(out);
    if (Take("return")) {
      out += Is(";") || Is("}") ? "push undefined; " : Expression();
      out += "return;\n";
      Take(";");
      return;
    }
    Simple(out);
    Take(";");
  }

  void Vars(std::string& out) {
    do {
      const std::string name = Name();
      if (Take("=")) out += "push " + Quote(name) + "; " + Expression() + "defineLocal;\n";
      else out += "push " + Quote(name) + "; defineLocal2;\n";
    } while (Take(","));
  }

  void For(std::string& out) {
    Expect("(");
    const bool var = Take("var");
    if (Peek().kind == Token::Name && Is("in", 1)) {
      const std::string name = Name();
      Next();
      const std::string object = Expression();
      Expect(")");
      const std::string top = Label(), done = Label();
      out += object + "enumerate2;\n" + top + ":\npushDuplicate; push null; equals2; if " + done + ";\n";
      out += "push " + Quote(name) + "; stackSwap; " + (var ? "defineLocal" : "setVariable") + ";\n";
      Statement(out);
      out += "jump " + top + ";\n" + done + ":\npop;\n";
      return;
    }
    if (var) Vars(out);
    else if (!Is(";")) Simple(out);
    Expect(";");
    const std::string top = Label(), end = Label();
    out += top + ":\n";
    if (!Is(";")) out += Expression() + "not; if " + end + ";\n";
    Expect(";");
    std::string step;
    if (!Is(")")) Simple(step);
    Expect(")");
    Statement(out);
    out += step + "jump " + top + ";\n" + end + ":\n";
  }

  // An assignment, an increment or an expression whose value is dropped.
  void Simple(std::string& out) {
    const size_t start = at_;
    std::string object, key;
    const std::string target = Target(object, key);
    static const char* const assigns[] = {"=", "+=", "-=", "*=", "/=", "%=", "|=", "&=", "^=", "<<=", ">>=", ">>>="};
    static const char* const ops[] = {"", "add2", "subtract", "multiply", "divide", "modulo", "bitOr", "bitAnd",
                                      "bitXor", "bitLShift", "bitRShift", "bitURShift"};
    if (!target.empty()) {
      for (size_t i = 0; i < std::size(assigns); ++i) {
        if (!Is(assigns[i])) continue;
        Next();
        const std::string value = Expression();
        out += Store(object, key, i == 0 ? value : target + value + ops[i] + "; ");
        return;
      }
      if (Is("++") || Is("--")) {
        const bool up = Next().text == "++";
        out += Store(object, key, target + (up ? "increment; " : "decrement; "));
        return;
      }
    }
    at_ = start;
    out += Expression() + "pop;\n";
  }

  // Reads a name, member or element as an assignment's target: its value's
  // code, and what stores into it (object code and key code; no object for a
  // variable). Empty when what follows is no target.
  std::string Target(std::string& object, std::string& key) {
    if (Peek().kind != Token::Name || Is("new") || Is("function") || Is("typeof")) return "";
    std::string code = "push " + Quote(Name()) + "; ";
    key = code;
    object.clear();
    std::string value = code + "getVariable; ";
    for (;;) {
      if (Take(".")) {
        object = value;
        key = "push " + Quote(Name()) + "; ";
      } else if (Take("[")) {
        object = value;
        key = Expression();
        Expect("]");
      } else {
        break;
      }
      value = object + key + "getMember; ";
    }
    if (Is("(")) return "";
    return value;
  }

  std::string Store(const std::string& object, const std::string& key, const std::string& value) {
    if (object.empty()) return key + value + "setVariable;\n";
    return object + key + value + "setMember;\n";
  }

  std::string Function(const std::string& name) {
    Expect("(");
    std::string params;
    while (!Take(")")) {
      if (!params.empty()) Expect(",");
      params += (params.empty() ? "" : ", ") + Name();
    }
    Expect("{");
    std::string body;
    while (!Take("}")) {
      if (Peek().kind == Token::End) throw std::runtime_error("expected }");
      Statement(body);
    }
    return "function " + Quote(name) + " (" + params + ") {\n" + body + "}";
  }

  // ---- Expressions -----------------------------------------------------------------------

  std::string Expression() {
    std::string cond = Or();
    if (!Take("?")) return cond;
    const std::string a = Expression();
    Expect(":");
    const std::string b = Expression();
    const std::string otherwise = Label(), end = Label();
    return cond + "not; if " + otherwise + ";\n" + a + "jump " + end + ";\n" + otherwise + ":\n" + b + end + ":\n";
  }

  std::string Or() {
    std::string a = And();
    while (Take("||")) {
      const std::string end = Label();
      a += "pushDuplicate; if " + end + "; pop; " + And() + end + ":\n";
    }
    return a;
  }

  std::string And() {
    std::string a = Binary(0);
    while (Take("&&")) {
      const std::string end = Label();
      a += "pushDuplicate; not; if " + end + "; pop; " + Binary(0) + end + ":\n";
    }
    return a;
  }

  // Binary operators by precedence, loosest first.
  std::string Binary(int level) {
    struct Op {
      const char* text;
      const char* code;
    };
    static const std::vector<std::vector<Op>> levels = {
        {{"|", "bitOr; "}},
        {{"^", "bitXor; "}},
        {{"&", "bitAnd; "}},
        {{"===", "strictEquals; "}, {"!==", "strictEquals; not; "}, {"==", "equals2; "}, {"!=", "equals2; not; "}},
        {{"<=", "greater; not; "}, {">=", "less2; not; "}, {"<", "less2; "}, {">", "greater; "},
         {"instanceof", "instanceOf; "}},
        {{">>>", "bitURShift; "}, {"<<", "bitLShift; "}, {">>", "bitRShift; "}},
        {{"+", "add2; "}, {"-", "subtract; "}},
        {{"*", "multiply; "}, {"/", "divide; "}, {"%", "modulo; "}},
    };
    if (level >= static_cast<int>(levels.size())) return Unary();
    std::string a = Binary(level + 1);
    for (;;) {
      const Op* found = nullptr;
      for (const Op& op : levels[static_cast<size_t>(level)])
        if (Is(op.text)) found = &op;
      if (!found) return a;
      Next();
      a += Binary(level + 1) + found->code;
    }
  }

  std::string Unary() {
    if (Take("!")) return Unary() + "not; ";
    if (Take("-")) return "push 0; " + Unary() + "subtract; ";
    if (Take("~")) return Unary() + "push -1; bitXor; ";
    if (Take("typeof")) return Unary() + "typeOf; ";
    if (Take("delete")) {
      std::string object, key;
      if (Target(object, key).empty() || object.empty()) throw std::runtime_error("delete needs a member");
      return object + key + "delete; ";
    }
    return Postfix(Primary());
  }

  std::string Postfix(std::string value) {
    for (;;) {
      if (Take(".")) {
        const std::string name = Name();
        if (Take("(")) {
          const auto [args, count] = Arguments();
          value = args + "push " + std::to_string(count) + "; " + value + "push " + Quote(name) + "; callMethod; ";
        } else {
          value += "push " + Quote(name) + "; getMember; ";
        }
      } else if (Take("[")) {
        value += Expression();
        Expect("]");
        value += "getMember; ";
      } else if (Take("(")) {
        const auto [args, count] = Arguments();
        value = args + "push " + std::to_string(count) + "; " + value + "push undefined; callMethod; ";
      } else {
        return value;
      }
    }
  }

  // After "(": the arguments' code, last first, and their count.
  std::pair<std::string, int> Arguments() {
    std::vector<std::string> args;
    while (!Take(")")) {
      if (!args.empty()) Expect(",");
      args.push_back(Expression());
    }
    std::string code;
    for (auto it = args.rbegin(); it != args.rend(); ++it) code += *it;
    return {code, static_cast<int>(args.size())};
  }

  std::string Primary() {
    const Token t = Next();
    if (t.kind == Token::Number) return "push " + NumberText(t.text) + "; ";
    if (t.kind == Token::Text) return "push " + Quote(t.text) + "; ";
    if (t.kind == Token::Punct && t.text == "(") {
      const std::string e = Expression();
      Expect(")");
      return e;
    }
    if (t.kind == Token::Punct && t.text == "[") {
      std::vector<std::string> items;
      while (!Take("]")) {
        if (!items.empty()) Expect(",");
        items.push_back(Expression());
      }
      std::string code;
      for (auto it = items.rbegin(); it != items.rend(); ++it) code += *it;
      return code + "push " + std::to_string(items.size()) + "; initArray; ";
    }
    if (t.kind == Token::Punct && t.text == "{") {
      std::string code;
      int count = 0;
      while (!Take("}")) {
        if (count) Expect(",");
        const Token k = Next();
        if (k.kind != Token::Name && k.kind != Token::Text && k.kind != Token::Number)
          throw std::runtime_error("expected a property name near '" + k.text + "'");
        Expect(":");
        code += "push " + Quote(k.text) + "; " + Expression();
        ++count;
      }
      return code + "push " + std::to_string(count) + "; initObject; ";
    }
    if (t.kind != Token::Name) throw std::runtime_error("unexpected '" + t.text + "'");
    if (t.text == "true" || t.text == "false" || t.text == "null" || t.text == "undefined")
      return "push " + t.text + "; ";
    if (t.text == "function") return Function("") + ";\n";
    if (t.text == "new") return New();
    if (Take("(")) {
      const auto [args, count] = Arguments();
      if (t.text == "trace" && count == 1) return args + "trace; push undefined; ";
      return args + "push " + std::to_string(count) + ", " + Quote(t.text) + "; callFunction; ";
    }
    return "push " + Quote(t.text) + "; getVariable; ";
  }

  // new Name(args) or new a.b.Name(args).
  std::string New() {
    std::vector<std::string> path{Name()};
    while (Take(".")) path.push_back(Name());
    std::pair<std::string, int> args{"", 0};
    if (Take("(")) args = Arguments();
    std::string code = args.first + "push " + std::to_string(args.second) + "; ";
    if (path.size() == 1) return code + "push " + Quote(path[0]) + "; newObject; ";
    code += "push " + Quote(path[0]) + "; getVariable; ";
    for (size_t i = 1; i + 1 < path.size(); ++i) code += "push " + Quote(path[i]) + "; getMember; ";
    return code + "push " + Quote(path.back()) + "; newMethod; ";
  }

  std::vector<Token> t_;
  size_t at_ = 0;
  int labels_ = 0;
};

}  // namespace

std::string CompileScript(const std::string& source, std::string* error) {
  if (error) error->clear();
  try {
    return Compiler(source).Run();
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return "";
  }
}

}  // namespace actions
