#include "render/clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace vorelux {

namespace {

// Days from 1970-01-01 to a civil date (Howard Hinnant's algorithm).
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

} // namespace

double LocalDateTime::dayCount() const {
    const long days = daysFromCivil(year, month, day) - daysFromCivil(1899, 12, 30);
    const double ms = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
    return double(days) + ms / 86400000.0;
}

int weekdayOf(int year, int month, int day) {
    const long z = daysFromCivil(year, month, day);
    // 1970-01-01 was a Thursday (4).
    return int(((z % 7) + 7 + 4) % 7);
}

bool makeLocalDateTime(int year, int month, int day, int hour, int minute, int second,
                       LocalDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
    if (day < 1 || day > daysInMonth(year, month)) return false;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    out = LocalDateTime{};
    out.year = year;
    out.month = month;
    out.day = day;
    out.hour = hour;
    out.minute = minute;
    out.second = second;
    out.weekday = weekdayOf(year, month, day);
    return true;
}

bool parseLocalDateTime(const std::string& text, LocalDateTime& out) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
    const int n =
        std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &y, &mo, &d, &h, &mi, &s, &used);
    if (n == 6 && size_t(used) == text.size()) return makeLocalDateTime(y, mo, d, h, mi, s, out);
    used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n", &y, &mo, &d, &h, &mi, &used) == 5 &&
        size_t(used) == text.size())
        return makeLocalDateTime(y, mo, d, h, mi, 0, out);
    return false;
}

LocalDateTime SystemClock::now() const {
    using namespace std::chrono;
    const auto t = system_clock::now();
    const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count() % 1000;
    const std::time_t secs = system_clock::to_time_t(t);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &secs);
#else
    localtime_r(&secs, &tm);
#endif
    LocalDateTime out;
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec > 59 ? 59 : tm.tm_sec; // a leap second reads as :59
    out.millisecond = int(ms < 0 ? ms + 1000 : ms);
    out.weekday = tm.tm_wday;
    out.dst = tm.tm_isdst > 0;
    return out;
}

} // namespace vorelux
