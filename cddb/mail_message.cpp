#include "cddb/mail_message.h"

#include <algorithm>
#include <cstdio>

namespace {

// A mail line may hold 998 bytes before its CR LF (RFC 5322).
constexpr size_t kMailLineLimit = 998;
// A quoted-printable line holds 76 characters, its soft break's "=" included.
constexpr size_t kEncodedLineLimit = 76;

bool is_8bit(char c) { return static_cast<unsigned char>(c) >= 0x80; }

bool has_8bit(std::string_view text) { return std::any_of(text.begin(), text.end(), is_8bit); }

bool has_long_line(std::string_view text) {
    for (size_t from = 0; from < text.size();) {
        const size_t end = std::min(text.find("\r\n", from), text.size());
        if (end - from > kMailLineLimit) return true;
        from = end + 2;
    }
    return false;
}

bool is_label_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

// The calendar date and time of day in UTC.
struct CivilTime {
    int year;
    unsigned month, day, weekday;  // 1-12, 1-31, 0 Sunday
    int hour, minute, second;
};
CivilTime civil_time(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const sys_days day = floor<days>(when);
    const year_month_day date{day};
    const hh_mm_ss time{floor<seconds>(when - day)};
    return {int(date.year()), unsigned(date.month()), unsigned(date.day()), weekday(day).c_encoding(),
            static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count())};
}

}  // namespace

bool is_domain_name(std::string_view name) {
    if (name.size() > 253 || name.find('.') == std::string_view::npos) return false;
    std::string_view last;
    for (size_t from = 0; from <= name.size();) {
        const size_t end = std::min(name.find('.', from), name.size());
        last = name.substr(from, end - from);
        if (last.empty() || last.size() > 63 || last.front() == '-' || last.back() == '-' ||
            !std::all_of(last.begin(), last.end(), is_label_char))
            return false;
        from = end + 1;
    }
    return !std::all_of(last.begin(), last.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string hello_name(const Text& domain_name, Ipv4 local) {
    if (domain_name && is_domain_name(*domain_name)) return *domain_name;
    return '[' + dotted(local) + ']';
}

BodyEncoding body_encoding(std::string_view entry, bool server_takes_8bit) {
    if (has_long_line(entry)) return BodyEncoding::QuotedPrintable;
    if (!has_8bit(entry)) return BodyEncoding::SevenBit;
    return server_takes_8bit ? BodyEncoding::EightBit : BodyEncoding::QuotedPrintable;
}

const char* body_charset(std::string_view entry) { return has_8bit(entry) ? "ISO-8859-1" : "US-ASCII"; }

std::string quoted_printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t from = 0; from < text.size();) {
        const size_t end = std::min(text.find("\r\n", from), text.size());
        const std::string_view line = text.substr(from, end - from);
        size_t column = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            const bool blank = c == ' ' || c == '\t';
            const bool literal = (c >= 33 && c <= 126 && c != '=') || (blank && i + 1 < line.size());
            const size_t width = literal ? 1 : 3;
            if (column + width > kEncodedLineLimit - 1) {
                out += "=\r\n";
                column = 0;
            }
            if (literal) {
                out += static_cast<char>(c);
            } else {
                out += '=';
                out += kHex[c >> 4];
                out += kHex[c & 15];
            }
            column += width;
        }
        if (end < text.size()) out += "\r\n";
        from = end + 2;
    }
    return out;
}

std::string mail_date(std::chrono::system_clock::time_point when) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const CivilTime t = civil_time(when);
    char date[40];
    std::snprintf(date, sizeof date, "%s, %02u %s %04d %02d:%02d:%02d +0000", kDays[t.weekday], t.day,
                  kMonths[t.month - 1], t.year, t.hour, t.minute, t.second);
    return date;
}

std::string message_id(std::chrono::system_clock::time_point when, uint64_t random, std::string_view domain) {
    const CivilTime t = civil_time(when);
    char id[48];
    std::snprintf(id, sizeof id, "<%04d%02u%02u%02d%02d%02d.%016llx@", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, static_cast<unsigned long long>(random));
    return id + std::string(domain) + '>';
}

std::string mail_message(const MailParts& parts) {
    const char* transfer = parts.encoding == BodyEncoding::QuotedPrintable ? "quoted-printable"
                           : parts.encoding == BodyEncoding::EightBit       ? "8bit"
                                                                            : "7bit";
    std::string message = "Date: " + parts.date + "\r\nFrom: " + parts.from + "\r\nTo: " + parts.to +
                          "\r\nSubject: " + parts.subject + "\r\nMessage-ID: " + parts.message_id +
                          "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=" + body_charset(parts.entry) +
                          "\r\nContent-Transfer-Encoding: " + transfer + "\r\nX-Cddbd-Note: " + kSubmitNote + "\r\n\r\n";
    if (parts.encoding == BodyEncoding::QuotedPrintable) message += quoted_printable(parts.entry);
    else message += parts.entry;
    return message;
}

std::string smtp_data(std::string_view message) {
    std::string data;
    data.reserve(message.size() + 16);
    for (size_t from = 0; from < message.size();) {
        const size_t end = message.find('\n', from);
        const std::string_view line = message.substr(from, end == std::string_view::npos ? end : end - from + 1);
        if (line.starts_with('.')) data += '.';  // a line of the text, not the end of the message
        data += line;
        from += line.size();
    }
    if (!data.empty() && !data.ends_with("\r\n")) data += "\r\n";
    return data + ".\r\n";
}
