// Date: a time value in milliseconds since 1970 (UTC), read and written in
// universal time or in local time through the platform's time zone rules.
#include <windows.h>

#include <cmath>
#include <cstdio>

#include "platform/flash/script/builtins/Builtins.h"

namespace flash::script {
namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr double kMaxTime = 8.64e15;
constexpr double kEpochFileTimeMs = 11644473600000.0;

double Day(double t) { return std::floor(t / kMsPerDay); }
double TimeWithinDay(double t) {
  const double r = std::fmod(t, kMsPerDay);
  return r < 0 ? r + kMsPerDay : r;
}
double DayFromYear(double y) {
  return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100) + std::floor((y - 1601) / 400);
}
bool Leap(double y) { return std::fmod(y, 4) == 0 && (std::fmod(y, 100) != 0 || std::fmod(y, 400) == 0); }
double YearFromTime(double t) {
  double y = std::floor(Day(t) / 365.2425) + 1970;
  while (DayFromYear(y) * kMsPerDay > t) --y;
  while (DayFromYear(y + 1) * kMsPerDay <= t) ++y;
  return y;
}
const int kMonthStart[2][13] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
                                {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};
int MonthFromTime(double t) {
  const double y = YearFromTime(t);
  const int day = static_cast<int>(Day(t) - DayFromYear(y));
  const int* starts = kMonthStart[Leap(y) ? 1 : 0];
  int m = 0;
  while (m < 11 && day >= starts[m + 1]) ++m;
  return m;
}
double DateFromTime(double t) {
  const double y = YearFromTime(t);
  const int day = static_cast<int>(Day(t) - DayFromYear(y));
  return day - kMonthStart[Leap(y) ? 1 : 0][MonthFromTime(t)] + 1;
}
double WeekDay(double t) {
  const double r = std::fmod(Day(t) + 4, 7);
  return r < 0 ? r + 7 : r;
}
double MakeTime(double h, double m, double s, double ms) { return ((h * 60 + m) * 60 + s) * 1000 + ms; }
double MakeDay(double year, double month, double date) {
  if (!std::isfinite(year) || !std::isfinite(month) || !std::isfinite(date)) return NAN;
  year += std::floor(month / 12);
  month = std::fmod(month, 12);
  if (month < 0) month += 12;
  return DayFromYear(year) + kMonthStart[Leap(year) ? 1 : 0][static_cast<int>(month)] + date - 1;
}
double TimeClip(double t) { return std::isfinite(t) && std::fabs(t) <= kMaxTime ? std::trunc(t) : NAN; }

// The zone's offset from UTC (milliseconds, local - UTC) at a UTC time.
double LocalOffset(double utc) {
  if (!std::isfinite(utc)) return 0;
  const double fileMs = utc + kEpochFileTimeMs;
  if (fileMs < 0 || fileMs > 9.0e14) return 0;
  ULARGE_INTEGER u;
  u.QuadPart = static_cast<ULONGLONG>(fileMs) * 10000;
  FILETIME ft{u.LowPart, u.HighPart}, localFt;
  SYSTEMTIME sys, local;
  if (!FileTimeToSystemTime(&ft, &sys) || !SystemTimeToTzSpecificLocalTime(nullptr, &sys, &local) ||
      !SystemTimeToFileTime(&local, &localFt))
    return 0;
  ULARGE_INTEGER l;
  l.LowPart = localFt.dwLowDateTime, l.HighPart = localFt.dwHighDateTime;
  return (static_cast<double>(l.QuadPart) - static_cast<double>(u.QuadPart)) / 10000.0;
}
double ToLocal(double utc) { return utc + LocalOffset(utc); }
double ToUtc(double local) { return local - LocalOffset(local - LocalOffset(local)); }

Object* ThisDate(const CallInfo& c) { return ThisAs(c, ObjClass::Date); }
double TimeOf(const CallInfo& c) {
  Object* d = ThisDate(c);
  return d && d->primitive.IsNumber() ? d->primitive.AsNumber() : NAN;
}

std::wstring DateText(double t) {
  if (std::isnan(t)) return L"Invalid Date";
  static const wchar_t* days[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
  static const wchar_t* months[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                    L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
  const double offset = LocalOffset(t);
  const double l = t + offset;
  const double within = TimeWithinDay(l);
  const int minutes = static_cast<int>(std::lround(offset / 60000));
  wchar_t buf[96];
  swprintf(buf, 96, L"%ls %ls %d %02d:%02d:%02d GMT%lc%02d%02d %.0f", days[static_cast<int>(WeekDay(l))],
           months[MonthFromTime(l)], static_cast<int>(DateFromTime(l)), static_cast<int>(within / 3600000),
           static_cast<int>(std::fmod(within / 60000, 60)), static_cast<int>(std::fmod(within / 1000, 60)),
           minutes < 0 ? L'-' : L'+', std::abs(minutes) / 60, std::abs(minutes) % 60, YearFromTime(l));
  return buf;
}

// The time of the arguments year, month, date, hours, minutes, seconds, ms.
double TimeFromFields(Vm& vm, const CallInfo& c) {
  double f[7] = {NAN, 0, 1, 0, 0, 0, 0};
  for (uint32_t i = 0; i < 7 && i < c.argc; ++i) f[i] = vm.ToNumber(c.args[i]);
  double year = f[0];
  if (std::isfinite(year) && year >= 0 && year <= 99) year = 1900 + std::trunc(year);
  return MakeDay(year, f[1], f[2]) * kMsPerDay + MakeTime(f[3], f[4], f[5], f[6]);
}

Value DateCtor(Vm& vm, CallInfo& c) {
  if (!c.construct) return vm.Str(DateText(std::floor(vm.Host().EpochMs())));
  double t = 0;
  if (c.argc == 0) t = std::floor(vm.Host().EpochMs());
  else if (c.argc == 1) t = TimeClip(NumberArg(vm, c, 0));
  else t = TimeClip(ToUtc(TimeFromFields(vm, c)));
  Object* o = vm.GetHeap().New<Object>(c.thisv.AsObject()->Proto(), ObjClass::Date);
  o->primitive = Value::Number(t);
  return Value::Obj(o);
}

Value DateUtc(Vm& vm, CallInfo& c) { return Value::Number(TimeClip(TimeFromFields(vm, c))); }

// Getters by magic: 0 full year, 1 month, 2 date, 3 day, 4 hours, 5 minutes,
// 6 seconds, 7 milliseconds, 8 year - 1900; +16 for universal time.
Value DateGet(Vm&, CallInfo& c) {
  double t = TimeOf(c);
  if (std::isnan(t)) return Value::Number(NAN);
  const int m = c.callee->magic;
  if (m < 16) t = ToLocal(t);
  const double within = TimeWithinDay(t);
  switch (m & 15) {
    case 0: return Value::Number(YearFromTime(t));
    case 1: return Value::Number(MonthFromTime(t));
    case 2: return Value::Number(DateFromTime(t));
    case 3: return Value::Number(WeekDay(t));
    case 4: return Value::Number(std::floor(within / 3600000));
    case 5: return Value::Number(std::fmod(std::floor(within / 60000), 60));
    case 6: return Value::Number(std::fmod(std::floor(within / 1000), 60));
    case 7: return Value::Number(std::fmod(within, 1000));
    default: return Value::Number(YearFromTime(t) - 1900);
  }
}

// Setters by magic: 0 full year (y, m, d), 1 month (m, d), 2 date, 4 hours
// (h, m, s, ms), 5 minutes (m, s, ms), 6 seconds (s, ms), 7 milliseconds,
// 8 year; +16 for universal time.
Value DateSet(Vm& vm, CallInfo& c) {
  Object* d = ThisDate(c);
  if (!d) return Value::Undefined();
  const int m = c.callee->magic;
  const bool utc = m >= 16;
  double t = d->primitive.IsNumber() ? d->primitive.AsNumber() : NAN;
  if (std::isnan(t)) t = (m & 15) == 0 || (m & 15) == 8 ? 0 : NAN;
  if (!utc && std::isfinite(t)) t = ToLocal(t);
  double year = YearFromTime(t), month = MonthFromTime(t), date = DateFromTime(t);
  const double within = TimeWithinDay(t);
  double h = std::floor(within / 3600000), mi = std::fmod(std::floor(within / 60000), 60);
  double s = std::fmod(std::floor(within / 1000), 60), ms = std::fmod(within, 1000);
  auto arg = [&](uint32_t i, double& field) {
    if (i < c.argc) field = vm.ToNumber(c.args[i]);
  };
  switch (m & 15) {
    case 0: arg(0, year), arg(1, month), arg(2, date); break;
    case 1: arg(0, month), arg(1, date); break;
    case 2: arg(0, date); break;
    case 4: arg(0, h), arg(1, mi), arg(2, s), arg(3, ms); break;
    case 5: arg(0, mi), arg(1, s), arg(2, ms); break;
    case 6: arg(0, s), arg(1, ms); break;
    case 7: arg(0, ms); break;
    default:
      arg(0, year);
      if (std::isfinite(year) && year >= 0 && year <= 99) year += 1900;
      break;
  }
  double nt = MakeDay(year, month, date) * kMsPerDay + MakeTime(h, mi, s, ms);
  if (!utc) nt = ToUtc(nt);
  d->primitive = Value::Number(TimeClip(nt));
  return d->primitive;
}

Value DateGetTime(Vm&, CallInfo& c) { return Value::Number(TimeOf(c)); }

Value DateSetTime(Vm& vm, CallInfo& c) {
  Object* d = ThisDate(c);
  if (!d) return Value::Undefined();
  d->primitive = Value::Number(TimeClip(NumberArg(vm, c, 0)));
  return d->primitive;
}

Value DateOffset(Vm&, CallInfo& c) {
  const double t = TimeOf(c);
  return Value::Number(std::isnan(t) ? NAN : -LocalOffset(t) / 60000);
}

Value DateToString(Vm& vm, CallInfo& c) { return vm.Str(DateText(TimeOf(c))); }

}  // namespace

void InstallDateBuiltins(Vm& vm) {
  vm.dateProto = vm.NewObject();
  Object* p = vm.dateProto;
  const wchar_t* fields[] = {L"FullYear", L"Month", L"Date", L"Day", L"Hours", L"Minutes", L"Seconds", L"Milliseconds"};
  for (int i = 0; i < 8; ++i) {
    vm.Method(p, (std::wstring(L"get") + fields[i]).c_str(), DateGet, i);
    vm.Method(p, (std::wstring(L"getUTC") + fields[i]).c_str(), DateGet, i + 16);
    if (i == 3) continue;  // there is no setDay
    vm.Method(p, (std::wstring(L"set") + fields[i]).c_str(), DateSet, i);
    vm.Method(p, (std::wstring(L"setUTC") + fields[i]).c_str(), DateSet, i + 16);
  }
  vm.Method(p, L"getYear", DateGet, 8);
  vm.Method(p, L"setYear", DateSet, 8);
  vm.Method(p, L"getTime", DateGetTime);
  vm.Method(p, L"valueOf", DateGetTime);
  vm.Method(p, L"setTime", DateSetTime);
  vm.Method(p, L"getTimezoneOffset", DateOffset);
  vm.Method(p, L"toString", DateToString);
  Function* date = vm.Class(L"Date", DateCtor, p);
  vm.Method(date, L"UTC", DateUtc);
}

}  // namespace flash::script
