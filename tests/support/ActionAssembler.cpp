#include "ActionAssembler.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>

namespace actions {
namespace {

using Bytes = std::vector<uint8_t>;

const std::map<std::string, uint8_t>& Simple() {
  static const std::map<std::string, uint8_t> table = {
      {"end", 0x00}, {"nextframe", 0x04}, {"prevframe", 0x05}, {"play", 0x06}, {"stop", 0x07},
      {"togglequality", 0x08}, {"stopsounds", 0x09}, {"add", 0x0A}, {"subtract", 0x0B}, {"multiply", 0x0C},
      {"divide", 0x0D}, {"equals", 0x0E}, {"less", 0x0F}, {"and", 0x10}, {"or", 0x11}, {"not", 0x12},
      {"stringequals", 0x13}, {"stringlength", 0x14}, {"stringextract", 0x15}, {"pop", 0x17},
      {"tointeger", 0x18}, {"getvariable", 0x1C}, {"setvariable", 0x1D}, {"settarget2", 0x20},
      {"stringadd", 0x21}, {"getproperty", 0x22}, {"setproperty", 0x23}, {"clonesprite", 0x24},
      {"removesprite", 0x25}, {"trace", 0x26}, {"startdrag", 0x27}, {"enddrag", 0x28}, {"stringless", 0x29},
      {"throw", 0x2A}, {"castop", 0x2B}, {"implementsop", 0x2C}, {"randomnumber", 0x30},
      {"mbstringlength", 0x31}, {"chartoascii", 0x32}, {"asciitochar", 0x33}, {"gettime", 0x34},
      {"mbstringextract", 0x35}, {"mbchartoascii", 0x36}, {"mbasciitochar", 0x37}, {"delete", 0x3A},
      {"delete2", 0x3B}, {"definelocal", 0x3C}, {"callfunction", 0x3D}, {"return", 0x3E}, {"modulo", 0x3F},
      {"newobject", 0x40}, {"definelocal2", 0x41}, {"initarray", 0x42}, {"initobject", 0x43}, {"typeof", 0x44},
      {"targetpath", 0x45}, {"enumerate", 0x46}, {"add2", 0x47}, {"less2", 0x48}, {"equals2", 0x49},
      {"tonumber", 0x4A}, {"tostring", 0x4B}, {"pushduplicate", 0x4C}, {"stackswap", 0x4D},
      {"getmember", 0x4E}, {"setmember", 0x4F}, {"increment", 0x50}, {"decrement", 0x51},
      {"callmethod", 0x52}, {"newmethod", 0x53}, {"instanceof", 0x54}, {"enumerate2", 0x55},
      {"bitand", 0x60}, {"bitor", 0x61}, {"bitxor", 0x62}, {"bitlshift", 0x63}, {"bitrshift", 0x64},
      {"biturshift", 0x65}, {"strictequals", 0x66}, {"greater", 0x67}, {"stringgreater", 0x68},
      {"extends", 0x69}, {"call", 0x9E}};
  return table;
}

void PutU16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutText(Bytes& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
  b.push_back(0);
}
Bytes Record(uint8_t code, const Bytes& data) {
  Bytes b{code};
  PutU16(b, static_cast<uint32_t>(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

struct Token {
  enum Kind { End, Name, Number, Text, Punct } kind = End;
  std::string text;
};

class Lexer {
 public:
  explicit Lexer(const std::string& s) : s_(s) {}
  Token Next() {
    if (peeked_) {
      peeked_ = false;
      return peek_;
    }
    return Read();
  }
  const Token& Peek() {
    if (!peeked_) peek_ = Read(), peeked_ = true;
    return peek_;
  }

 private:
  Token Read() {
    while (i_ < s_.size()) {
      const char c = s_[i_];
      if (c == '#') {
        while (i_ < s_.size() && s_[i_] != '\n') ++i_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++i_;
      } else {
        break;
      }
    }
    Token t;
    if (i_ >= s_.size()) return t;
    const char c = s_[i_];
    if (c == '\n' || c == ';') {
      ++i_;
      return Token{Token::Punct, ";"};
    }
    if (std::strchr("{}(),:=", c)) {
      ++i_;
      return Token{Token::Punct, std::string(1, c)};
    }
    if (c == '\'' || c == '"') {
      ++i_;
      t.kind = Token::Text;
      while (i_ < s_.size() && s_[i_] != c) {
        char ch = s_[i_++];
        if (ch == '\\' && i_ < s_.size()) {
          const char e = s_[i_++];
          if (e == 'n') ch = '\n';
          else if (e == 't') ch = '\t';
          else if (e == 'x' && i_ + 1 < s_.size()) {
            ch = static_cast<char>(std::strtol(s_.substr(i_, 2).c_str(), nullptr, 16));
            i_ += 2;
          } else ch = e;
        }
        t.text += ch;
      }
      if (i_ >= s_.size()) throw std::runtime_error("unterminated text");
      ++i_;
      return t;
    }
    const size_t start = i_;
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' ||
        (c == '.' && i_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_ + 1])))) {
      ++i_;
      while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.' ||
                                ((s_[i_] == '-' || s_[i_] == '+') && (s_[i_ - 1] == 'e' || s_[i_ - 1] == 'E'))))
        ++i_;
      return Token{Token::Number, s_.substr(start, i_ - start)};
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$') {
      while (i_ < s_.size() &&
             (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_' || s_[i_] == '$' || s_[i_] == '.'))
        ++i_;
      return Token{Token::Name, s_.substr(start, i_ - start)};
    }
    throw std::runtime_error(std::string("unexpected character ") + c);
  }

  const std::string& s_;
  size_t i_ = 0;
  Token peek_;
  bool peeked_ = false;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

uint32_t Integer(const std::string& text) { return static_cast<uint32_t>(std::strtoll(text.c_str(), nullptr, 0)); }

// One unit of code (the main record or a function body) with its own labels.
class Unit {
 public:
  enum Kind { kLiteral, kLabel, kJump, kWith, kTry, kMark };
  struct Piece {
    Kind kind = kLiteral;
    Bytes bytes;
    std::string label;
    uint8_t code = 0;
    int marks[3] = {-1, -1, -1};
    uint8_t flags = 0;
    Bytes catchPart;
    int mark = -1;
  };

  void Literal(const Bytes& b) { pieces_.push_back(Piece{kLiteral, b}); }
  void Label(const std::string& name) {
    Piece p;
    p.kind = kLabel, p.label = name;
    pieces_.push_back(p);
  }
  void Jump(uint8_t code, const std::string& label) {
    Piece p;
    p.kind = kJump, p.code = code, p.label = label;
    pieces_.push_back(p);
  }
  int NewMark() { return marks_++; }
  void Mark(int id) {
    Piece p;
    p.kind = kMark, p.mark = id;
    pieces_.push_back(p);
  }
  void With(int end) {
    Piece p;
    p.kind = kWith, p.marks[0] = end;
    pieces_.push_back(p);
  }
  void Try(uint8_t flags, const Bytes& catchPart, int catchMark, int finallyMark, int endMark) {
    Piece p;
    p.kind = kTry, p.flags = flags, p.catchPart = catchPart;
    p.marks[0] = catchMark, p.marks[1] = finallyMark, p.marks[2] = endMark;
    pieces_.push_back(p);
  }

  size_t Count() const { return pieces_.size(); }
  uint8_t Flags(size_t i) const { return pieces_[i].flags; }
  void SetFlags(size_t i, uint8_t flags) { pieces_[i].flags = flags; }

  Bytes Emit() const {
    std::vector<size_t> offsets;
    std::map<std::string, size_t> labels;
    std::map<int, size_t> marks;
    size_t at = 0;
    for (const Piece& p : pieces_) {
      offsets.push_back(at);
      if (p.kind == kLabel) labels[p.label] = at;
      if (p.kind == kMark) marks[p.mark] = at;
      at += Size(p);
    }
    Bytes out;
    for (size_t i = 0; i < pieces_.size(); ++i) {
      const Piece& p = pieces_[i];
      const size_t after = offsets[i] + Size(p);
      switch (p.kind) {
        case kLiteral: out.insert(out.end(), p.bytes.begin(), p.bytes.end()); break;
        case kJump: {
          auto it = labels.find(p.label);
          if (it == labels.end()) throw std::runtime_error("no label " + p.label);
          Bytes d;
          PutU16(d, static_cast<uint32_t>(static_cast<int32_t>(it->second) - static_cast<int32_t>(after)));
          const Bytes r = Record(p.code, d);
          out.insert(out.end(), r.begin(), r.end());
          break;
        }
        case kWith: {
          Bytes d;
          PutU16(d, static_cast<uint32_t>(marks.at(p.marks[0]) - after));
          const Bytes r = Record(0x94, d);
          out.insert(out.end(), r.begin(), r.end());
          break;
        }
        case kTry: {
          Bytes d{p.flags};
          PutU16(d, static_cast<uint32_t>(marks.at(p.marks[0]) - after));
          PutU16(d, static_cast<uint32_t>(marks.at(p.marks[1]) - marks.at(p.marks[0])));
          PutU16(d, static_cast<uint32_t>(marks.at(p.marks[2]) - marks.at(p.marks[1])));
          d.insert(d.end(), p.catchPart.begin(), p.catchPart.end());
          const Bytes r = Record(0x8F, d);
          out.insert(out.end(), r.begin(), r.end());
          break;
        }
        default: break;
      }
    }
    return out;
  }

 private:
  static size_t Size(const Piece& p) {
    switch (p.kind) {
      case kLiteral: return p.bytes.size();
      case kJump:
      case kWith: return 5;
      case kTry: return 3 + 7 + p.catchPart.size();
      default: return 0;
    }
  }
  std::vector<Piece> pieces_;
  int marks_ = 0;
};

class Parser {
 public:
  explicit Parser(const std::string& text) : lex_(text) {}

  Bytes Run() {
    Unit u;
    Statements(u);
    if (lex_.Peek().kind != Token::End) throw std::runtime_error("unexpected '" + lex_.Peek().text + "'");
    return u.Emit();
  }

 private:
  bool IsPunct(const Token& t, const char* p) { return t.kind == Token::Punct && t.text == p; }
  void Expect(const char* p) {
    const Token t = lex_.Next();
    if (!IsPunct(t, p)) throw std::runtime_error(std::string("expected ") + p + " near '" + t.text + "'");
  }
  void SkipSeparators() {
    while (IsPunct(lex_.Peek(), ";")) lex_.Next();
  }
  bool AtStatementEnd() {
    const Token& t = lex_.Peek();
    return t.kind == Token::End || IsPunct(t, ";") || IsPunct(t, "}");
  }

  // Statements up to a "}" (left for the caller) or the end.
  void Statements(Unit& u) {
    for (;;) {
      SkipSeparators();
      const Token& t = lex_.Peek();
      if (t.kind == Token::End || IsPunct(t, "}")) return;
      Statement(u);
    }
  }

  void Block(Unit& u) {
    SkipSeparators();
    Expect("{");
    Statements(u);
    Expect("}");
  }

  void Statement(Unit& u) {
    const Token t = lex_.Next();
    if (t.kind != Token::Name) throw std::runtime_error("expected a statement near '" + t.text + "'");
    if (IsPunct(lex_.Peek(), ":")) {
      lex_.Next();
      u.Label(t.text);
      return;
    }
    const std::string op = Lower(t.text);
    if (op == "push") return Push(u);
    if (op == "function" || op == "function2") return Function(u, op == "function2");
    if (op == "with") {
      const int end = u.NewMark();
      u.With(end);
      Block(u);
      u.Mark(end);
      return;
    }
    if (op == "try") return Try(u);
    if (op == "jump" || op == "if") {
      const Token label = lex_.Next();
      u.Jump(op == "jump" ? 0x99 : 0x9D, label.text);
      return;
    }
    if (op == "raw") {
      Bytes b;
      while (!AtStatementEnd()) b.push_back(static_cast<uint8_t>(Integer(lex_.Next().text)));
      u.Literal(b);
      return;
    }
    Bytes d;
    if (op == "gotoframe") {
      PutU16(d, Integer(lex_.Next().text));
      return u.Literal(Record(0x81, d));
    }
    if (op == "gotolabel" || op == "settarget") {
      PutText(d, lex_.Next().text);
      return u.Literal(Record(op == "gotolabel" ? 0x8C : 0x8B, d));
    }
    if (op == "geturl") {
      PutText(d, lex_.Next().text);
      PutText(d, lex_.Next().text);
      return u.Literal(Record(0x83, d));
    }
    if (op == "storeregister") return u.Literal(Record(0x87, Bytes{static_cast<uint8_t>(Integer(lex_.Next().text))}));
    if (op == "geturl2") return u.Literal(Record(0x9A, Bytes{static_cast<uint8_t>(Integer(lex_.Next().text))}));
    if (op == "waitforframe") {
      PutU16(d, Integer(lex_.Next().text));
      d.push_back(static_cast<uint8_t>(Integer(lex_.Next().text)));
      return u.Literal(Record(0x8A, d));
    }
    if (op == "waitforframe2") return u.Literal(Record(0x8D, Bytes{static_cast<uint8_t>(Integer(lex_.Next().text))}));
    if (op == "gotoframe2") {
      const uint8_t play = static_cast<uint8_t>(Integer(lex_.Next().text));
      if (AtStatementEnd()) return u.Literal(Record(0x9F, Bytes{play}));
      d.push_back(static_cast<uint8_t>(play | 0x02));
      PutU16(d, Integer(lex_.Next().text));
      return u.Literal(Record(0x9F, d));
    }
    if (op == "constants") {
      std::vector<std::string> items;
      while (!AtStatementEnd()) {
        const Token v = lex_.Next();
        if (!IsPunct(v, ",")) items.push_back(v.text);
      }
      PutU16(d, static_cast<uint32_t>(items.size()));
      for (const auto& s : items) PutText(d, s);
      return u.Literal(Record(0x88, d));
    }
    auto it = Simple().find(op);
    if (it == Simple().end()) throw std::runtime_error("unknown action " + t.text);
    if (it->second >= 0x80) return u.Literal(Record(it->second, {}));
    u.Literal(Bytes{it->second});
  }

  void Push(Unit& u) {
    Bytes d;
    while (!AtStatementEnd()) {
      const Token v = lex_.Next();
      if (IsPunct(v, ",")) continue;
      if (v.kind == Token::Text) {
        d.push_back(0);
        PutText(d, v.text);
      } else if (v.kind == Token::Number) {
        const bool real = v.text.find_first_of(".eE") != std::string::npos && v.text.find("0x") == std::string::npos;
        if (real) {
          const double x = std::strtod(v.text.c_str(), nullptr);
          uint64_t bits;
          std::memcpy(&bits, &x, 8);
          d.push_back(6);
          PutU32(d, static_cast<uint32_t>(bits >> 32));
          PutU32(d, static_cast<uint32_t>(bits));
        } else {
          const long long n = std::strtoll(v.text.c_str(), nullptr, 0);
          if (n < INT32_MIN || n > INT32_MAX) {
            const double x = static_cast<double>(n);
            uint64_t bits;
            std::memcpy(&bits, &x, 8);
            d.push_back(6);
            PutU32(d, static_cast<uint32_t>(bits >> 32));
            PutU32(d, static_cast<uint32_t>(bits));
          } else {
            d.push_back(7);
            PutU32(d, static_cast<uint32_t>(static_cast<int32_t>(n)));
          }
        }
      } else if (v.kind == Token::Name) {
        const std::string n = Lower(v.text);
        if (n == "true" || n == "false") {
          d.push_back(5);
          d.push_back(n == "true");
        } else if (n == "null") {
          d.push_back(2);
        } else if (n == "undefined") {
          d.push_back(3);
        } else if ((n == "r" || n == "c") && IsPunct(lex_.Peek(), ":")) {
          lex_.Next();
          const uint32_t index = Integer(lex_.Next().text);
          if (n == "r") {
            d.push_back(4);
            d.push_back(static_cast<uint8_t>(index));
          } else if (index < 256) {
            d.push_back(8);
            d.push_back(static_cast<uint8_t>(index));
          } else {
            d.push_back(9);
            PutU16(d, index);
          }
        } else if (n.size() > 1 && n[0] == 'f') {
          const float x = std::strtof(v.text.c_str() + 1, nullptr);
          uint32_t bits;
          std::memcpy(&bits, &x, 4);
          d.push_back(1);
          PutU32(d, bits);
        } else {
          throw std::runtime_error("unknown value " + v.text);
        }
      } else {
        throw std::runtime_error("unexpected '" + v.text + "' in push");
      }
    }
    u.Literal(Record(0x96, d));
  }

  void Function(Unit& u, bool version2) {
    const Token name = lex_.Next();
    std::string fname = name.kind == Token::Punct ? "" : name.text;
    if (name.kind == Token::Punct && name.text != "(") throw std::runtime_error("expected a function name");
    uint8_t regs = 4;
    uint16_t flags = 0;
    if (name.kind != Token::Punct) {
      while (!IsPunct(lex_.Peek(), "(")) {
        const std::string key = Lower(lex_.Next().text);
        Expect("=");
        const uint32_t v = Integer(lex_.Next().text);
        if (key == "regs") regs = static_cast<uint8_t>(v);
        else if (key == "flags") flags = static_cast<uint16_t>(v);
        else throw std::runtime_error("unknown function setting " + key);
      }
      Expect("(");
    }
    Bytes params;
    uint32_t count = 0;
    while (!IsPunct(lex_.Peek(), ")")) {
      Token p = lex_.Next();
      if (IsPunct(p, ",")) continue;
      uint8_t reg = 0;
      if (version2) {
        if (p.kind == Token::Name && p.text.size() > 1 && p.text[0] == 'r' && IsPunct(lex_.Peek(), ":")) {
          reg = static_cast<uint8_t>(Integer(p.text.substr(1)));
          lex_.Next();
          p = lex_.Next();
        } else if (p.kind == Token::Number && IsPunct(lex_.Peek(), ":")) {
          lex_.Next();
          p = lex_.Next();
        }
        params.push_back(reg);
      }
      PutText(params, p.text);
      ++count;
    }
    Expect(")");
    Unit body;
    SkipSeparators();
    Expect("{");
    Statements(body);
    Expect("}");
    const Bytes code = body.Emit();
    Bytes d;
    PutText(d, fname);
    PutU16(d, count);
    if (version2) {
      d.push_back(regs);
      PutU16(d, flags);
    }
    d.insert(d.end(), params.begin(), params.end());
    PutU16(d, static_cast<uint32_t>(code.size()));
    Bytes all = Record(version2 ? 0x8E : 0x9B, d);
    all.insert(all.end(), code.begin(), code.end());
    u.Literal(all);
  }

  void Try(Unit& u) {
    uint8_t flags = 0;
    Bytes catchPart{0};
    if (lex_.Peek().kind == Token::Name && Lower(lex_.Peek().text) == "catch") {
      lex_.Next();
      Expect("=");
      const Token v = lex_.Next();
      if (v.kind == Token::Name && v.text == "r" && IsPunct(lex_.Peek(), ":")) {
        lex_.Next();
        flags |= 0x04;
        catchPart = Bytes{static_cast<uint8_t>(Integer(lex_.Next().text))};
      } else {
        catchPart.clear();
        PutText(catchPart, v.text);
      }
    }
    const int catchMark = u.NewMark(), finallyMark = u.NewMark(), endMark = u.NewMark();
    u.Try(0, catchPart, catchMark, finallyMark, endMark);
    const size_t header = u.Count() - 1;
    Block(u);
    u.Mark(catchMark);
    SkipSeparators();
    if (lex_.Peek().kind == Token::Name && Lower(lex_.Peek().text) == "catch") {
      lex_.Next();
      flags |= 0x01;
      Block(u);
    }
    u.Mark(finallyMark);
    SkipSeparators();
    if (lex_.Peek().kind == Token::Name && Lower(lex_.Peek().text) == "finally") {
      lex_.Next();
      flags |= 0x02;
      Block(u);
    }
    u.Mark(endMark);
    u.SetFlags(header, static_cast<uint8_t>(u.Flags(header) | flags));
  }

  Lexer lex_;
};

}  // namespace

std::vector<uint8_t> Assemble(const std::string& text, std::string* error) {
  try {
    return Parser(text).Run();
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return {};
  }
}

}  // namespace actions
