#include "parsing/formats/format_matcher.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/ascii.h"
#include "core/tick_time.h"
#include "parsing/formats/format_candidates.h"
#include "parsing/formats/format_compiler.h"
#include "parsing/records/log_record.h"

namespace velmora {
namespace {

using std::string_literals::operator""s;

struct MatchCase {
  const char* name;
  std::string format;
  std::string line;
  bool matches;
};

TEST(MatcherTest, WholeLineAgainstWholeFormat) {
  const MatchCase cases[] = {
      // Year limits.
      {"FourDigitYearRefuses1929", "%Y", "1929", false},
      {"FourDigitYearTakes1930", "%Y", "1930", true},
      {"FourDigitYearTakes2070", "%Y", "2070", true},
      {"FourDigitYearRefuses2071", "%Y", "2071", false},
      {"TwoDigitYearRefusesOneDigit", "%y", "7", false},
      {"TwoDigitYearRefusesThreeDigits", "%y:", "123:", false},
      // Status against bytes on "-".
      {"StatusRefusesDash", "%c %b", "- 5", false},
      {"BytesTakeDash", "%c %b", "200 -", true},
      {"StatusRefuses600", "%c", "600", false},
      {"StatusRefuses99", "%c", "99", false},
      {"NumberRefusesLetters", "%b", "12x", false},
      // Widths: a terminator must come within the width; one more character at the line's end.
      {"HourTooWideBeforeTerminator", "%h:", "123:", false},
      {"HourThreeDigitsAtEndFailsRange", "%h", "123", false},
      {"HourFourDigitsAtEndTooWide", "%h", "0001", false},
      {"HourThreeDigitsAtEndInRange", "%h", "023", true},
      {"TextOf2048BeforeTerminator", "%S ", std::string(2048, 'h') + " ", true},
      {"TextOf2049BeforeTerminator", "%S ", std::string(2049, 'h') + " ", false},
      {"TextOf2049AtEnd", "%S", std::string(2049, 'h'), true},
      {"TextOf2050AtEnd", "%S", std::string(2050, 'h'), false},
      {"SkippedTextHasNoWidth", "%j", std::string(100000, 'j'), true},
      // Month names.
      {"MonthNameShort", "%M/", "Oc/", false},
      // Text fields hold at least one character; %j may be empty, %u and %v may not.
      {"EmptyHostFails", "%S x", " x", false},
      {"EmptySkipAnyMatches", "[%j]", "[]", true},
      {"EmptySkipSomeFails", "[%u]", "[]", false},
      {"EmptyVFails", "[%v]", "[]", false},
      // Blanks.
      {"BlanksNeedOne", "a%wb", "ab", false},
      {"BlanksTakeRuns", "a%wb", "a \t  b", true},
      {"OptionalBlanksMayBeNone", "a%Wb", "ab", true},
      {"OptionalBlanksSetEndsFieldAtC", "%S%W-%b", "host  -5", true},
      {"OptionalBlanksSetWithoutBlanks", "%S%W-%b", "host-5", true},
      // Literals, escapes and the odd corners of the language.
      {"PercentPercent", "a%%b", "a%b", true},
      {"NumberBeforePercentEndsAtDigits", "%c%%", "200%", false},
      {"TabEscape", "a\\tb", "a\tb", true},
      {"NewlineEscape", "a\\nb", "a\nb", true},
      {"BackslashEscape", "a\\\\b", "a\\b", true},
      {"LoneBackslashThenNextItem", "a\\qb", "a\\qb", true},
      {"LoneBackslashNeedsBackslash", "a\\qb", "aqb", false},
      {"TrailingBackslash", "a\\", "a\\", true},
      {"UnknownTokenMatchesNothing", "a%xb", "ab", true},
      {"UnknownTokenDoesNotMatchItsLetter", "a%xb", "axb", false},
      {"TrailingPercentEndsFormat", "abc%", "abc", true},
      {"TrailingPercentStillNeedsLineEnd", "abc%", "abcd", false},
      {"LiteralsAreCaseSensitive", "GET", "get", false},
      {"LineLongerThanFormat", "%c", "200 ", false},
      {"LineShorterThanFormat", "%c %b", "200", false},
      {"EmptyFormatEmptyLine", "", "", true},
      {"UnknownDigitTerminator", "%S%x]", "host]", false},
      // Dotted addresses.
      {"DottedAddress", "%s x", "192.168.001.020 x", true},
      {"DottedGroupTooLong", "%s", "1234.1.1.1", false},
      {"DottedThreeGroups", "%s", "1.2.3", false},
      {"DottedLetters", "%s", "1.2.3.4a", false},
      {"DottedEmptyGroup", "%s", "1..3.4", false},
      {"DottedEmptyLastGroup", "%s x", "1.2.3. x", false},
      // Twelve-hour markers need an hour of 1..12 read before them.
      {"AmPmBeforeAnyHour", "%aM %h", "AM 12", false},
      {"AmPmRefusesHour13", "%h:%n %aM", "13:05 PM", false},
      {"AmPmRefusesHour0", "%h:%n %aM", "00:05 AM", false},
      {"AmPmNeedsOneCharacter", "%h %aM", "10 M", false},
      // The fields appended to a layout: none, or any after blanks.
      {"AppendedFieldsNone", "%c %b%W%j", "200 5", true},
      {"AppendedFieldsAfterBlank", "%c %b%W%j", "200 5 \"x y\" 0.1", true},
      {"AppendedFieldsBytesStillNumbers", "%c %b%W%j", "200 5x 0.1", false},
      // A request and a referrer carry a 64 KiB query besides their 2,048 characters.
      {"RequestWith64KiBQuery", "\"%r\"", "\"/a?" + std::string(65536, 'q') + "\"", true},
      {"RequestPastItsWidth", "\"%r\"", "\"/a?" + std::string(65536 + 2048, 'q') + "\"", false},
      {"ReferrerWith64KiBQuery", "\"%f\"", "\"/a?" + std::string(65536, 'q') + "\"", true},
      // Hostile lines.
      {"NulInsideText", "%S %c", "a\0b 200"s, true},
      {"LongLineAgainstCandidate", "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j]", std::string(100000, 'x'),
       false}};
  for (const MatchCase& c : cases) {
    LogRecord record;
    record.Reset();
    EXPECT_EQ(MatchLine(c.line, record, CompiledFormat::Compile(c.format)), c.matches)
        << c.name << ": format \"" << c.format << "\" line \"" << c.line.substr(0, 80) << "\"";
  }
}

// A field's end is searched for a vector at a time, reading on past the field's width while the
// line lasts: wherever the end falls against those steps, the field is what a byte loop reads,
// and a number wider than its nine digits is refused however much line follows it.
TEST(MatcherTest, FieldEndsWhereverTheyFall) {
  for (size_t length = 1; length <= 40; ++length) {
    SCOPED_TRACE(length);
    const std::string field(length, 'h');
    const std::string tail(length % 7 * 5, 'x');  // none, or up to 30 bytes after the end
    LogRecord record;
    record.Reset();
    ASSERT_TRUE(MatchLine(field + " " + tail, record, "%S %j"));
    EXPECT_EQ(record.client_host.view(), field);
    record.Reset();
    ASSERT_TRUE(MatchLine("GET\t" + field + " " + tail, record, "%e%w%r%w%j"));
    EXPECT_EQ(record.uri_stem.view(), field);  // ends at a blank or a tab, whichever comes
    record.Reset();
    ASSERT_TRUE(MatchLine("GET " + field + "\t" + tail, record, "%e%w%r%w%j"));
    EXPECT_EQ(record.uri_stem.view(), field);
    record.Reset();
    ASSERT_TRUE(MatchLine(field + "]" + tail, record, "%S%W]%j"));  // a set of three
    EXPECT_EQ(record.client_host.view(), field);

    const std::string digits(length, '7');
    record.Reset();
    EXPECT_EQ(MatchLine(digits + " " + tail, record, "%b %j"), length <= 9);
    record.Reset();
    EXPECT_EQ(MatchLine(digits, record, "%b"), length <= 10);  // one more at the line's end
  }
}

struct FieldCase {
  const char* name;
  std::string format;
  std::string line;
  std::function<void(const LogRecord&)> check;
};

TEST(MatcherTest, StoresWhatItRead) {
  const FieldCase cases[] = {
      {"BracketedTimeSkipsZoneOffset", "%d/%M/%Y:%h:%n:%o%w%j", "10/Oct/2000:13:55:36 -0700",
       [](const LogRecord& r) {
         EXPECT_EQ(r.calendar_time, (CalendarTime{2000, 10, 0, 10, 13, 55, 36, 0}));
       }},
      {"TwoDigitYear69", "%y", "69",
       [](const LogRecord& r) { EXPECT_EQ(r.calendar_time.year, 2069); }},
      {"TwoDigitYear70", "%y", "70",
       [](const LogRecord& r) { EXPECT_EQ(r.calendar_time.year, 1970); }},
      {"DashReadsAsZero", "%c %b", "200 -",
       [](const LogRecord& r) {
         EXPECT_EQ(r.status, 200);
         EXPECT_EQ(r.bytes_sent, 0);
       }},
      {"DashInsideNumberIsZeroDigit", "%b", "1-2",
       [](const LogRecord& r) { EXPECT_EQ(r.bytes_sent, 102); }},
      {"TwelveAmIsMidnight", "%h:%n %aM", "12:05 AM",
       [](const LogRecord& r) {
         EXPECT_EQ(r.calendar_time.hour, 0);
         EXPECT_EQ(r.calendar_time.minute, 5);
       }},
      {"TwelvePmIsNoon", "%h:%n %aM", "12:05 PM",
       [](const LogRecord& r) { EXPECT_EQ(r.calendar_time.hour, 12); }},
      {"OnePmIs13", "%h:%n %aM", "01:05 PM",
       [](const LogRecord& r) { EXPECT_EQ(r.calendar_time.hour, 13); }},
      {"OneAmStays", "%h:%n %aM", "01:05 AM",
       [](const LogRecord& r) { EXPECT_EQ(r.calendar_time.hour, 1); }},
      {"OtherMarkerLetterChangesNothing", "%h:%n %aM", "11:05 XM",
       [](const LogRecord& r) { EXPECT_EQ(r.calendar_time.hour, 11); }},
      {"FormatEndingInFieldTakesRest", "%S %r", "host /a b\tc",
       [](const LogRecord& r) { EXPECT_EQ(r.uri_stem.view(), "/a b\tc"); }},
      {"UriSplitsAtFirstQuestionMark", "%r", "/a?b?c",
       [](const LogRecord& r) {
         EXPECT_EQ(r.uri_stem.view(), "/a");
         EXPECT_EQ(r.query.view(), "b?c");
       }},
      {"UriWithoutQuestionMarkLeavesQuery", "%r", "/a",
       [](const LogRecord& r) { EXPECT_TRUE(r.query.empty()); }},
      {"DottedAddressKeepsLeadingZeros", "%s", "010.001.002.3",
       [](const LogRecord& r) { EXPECT_EQ(r.client_host.view(), "010.001.002.3"); }},
      {"TextAtEndCutTo2048", "%B", std::string(2049, 'u'),
       [](const LogRecord& r) { EXPECT_EQ(r.user_agent.size(), 2048u); }},
      {"SecondsTakenInMilliseconds", "%t", "5",
       [](const LogRecord& r) { EXPECT_EQ(r.time_taken, 5000); }},
      {"SecondsTakenSaturate", "%t", "999999999",
       [](const LogRecord& r) { EXPECT_EQ(r.time_taken, INT32_MAX); }},
      {"MillisecondsTaken", "%T", "250", [](const LogRecord& r) { EXPECT_EQ(r.time_taken, 250); }},
      {"UnixTime", "%U", "1000000000",
       [](const LogRecord& r) {
         EXPECT_EQ(r.time, kUnixEpochTicks + 1'000'000'000 * kTicksPerSecond);
         EXPECT_EQ(r.calendar_time.year, 2001);
         EXPECT_EQ(r.calendar_time.month, 9);
         EXPECT_EQ(r.calendar_time.day, 9);
         EXPECT_EQ(r.calendar_time.hour, 1);
         EXPECT_EQ(r.calendar_time.minute, 46);
         EXPECT_EQ(r.calendar_time.second, 40);
       }},
      {"UnixTimePastTickRangeHasNoTime", "%U", "999999999999999999",
       [](const LogRecord& r) {
         EXPECT_EQ(r.time, 0u);
         EXPECT_EQ(r.calendar_time, kZeroCalendarTime);
       }},
      {"UnixTimeNineteenDigitsAtEndHasNoTime", "%U", "9999999999999999999",
       [](const LogRecord& r) { EXPECT_EQ(r.time, 0u); }},
      {"TabSeparatedCandidate", std::string(FormatCandidates()[19]),
       "05/24/02 20:18:01\thost\tsvc\tx\tuser\tGET\t/p?q=1\thttp://r/\tx\tUA+1\t404\t12\t7",
       [](const LogRecord& r) {
         EXPECT_EQ(r.calendar_time, (CalendarTime{2002, 5, 0, 24, 20, 18, 1, 0}));
         EXPECT_EQ(r.client_host.view(), "host");
         EXPECT_EQ(r.method.view(), "GET");
         EXPECT_EQ(r.uri_stem.view(), "/p");
         EXPECT_EQ(r.query.view(), "q=1");
         EXPECT_EQ(r.referrer.view(), "http://r/");
         EXPECT_EQ(r.user_agent.view(), "UA+1");
         EXPECT_EQ(r.status, 404);
         EXPECT_EQ(r.bytes_sent, 12);
         EXPECT_EQ(r.time_taken, 7);
       }}};
  // The parser borrows the texts from the line instead of copying them: the same fields either way.
  for (const MatchedTexts texts : {MatchedTexts::kCopied, MatchedTexts::kBorrowed}) {
    for (const FieldCase& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (texts == MatchedTexts::kBorrowed ? " (borrowed)" : ""));
      LogRecord record;
      record.Reset();
      ASSERT_TRUE(MatchLine(c.line, record, CompiledFormat::Compile(c.format), texts));
      c.check(record);
    }
  }
}

TEST(MatcherTest, MonthNamesInAnyCaseAndNothingThatOnlyLooksLikeOne) {
  const CompiledFormat format = CompiledFormat::Compile("%M");
  const char* names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  LogRecord record;
  for (int month = 1; month <= 12; ++month) {
    std::string name = names[month - 1];
    for (std::string text : {name, AsciiUppered(name), AsciiLowered(name)}) {
      record.Reset();
      ASSERT_TRUE(MatchLine(text, record, format)) << text;
      EXPECT_EQ(record.calendar_time.month, month) << text;
    }
  }
  // Bytes that differ from a letter only in bit 5 are no letters.
  for (const char* text : {"J@N", "j`n", "Ja\x0E",
                           "\xCA"
                           "an",
                           "Jam", "Ja", "Janu"}) {
    record.Reset();
    EXPECT_FALSE(MatchLine(text, record, format)) << text;
  }
}

// A default string_view has no data at all; scanning it must not hand null to memchr.
TEST(MatcherTest, LineWithoutDataMatchesNothing) {
  LogRecord record;
  record.Reset();
  EXPECT_FALSE(MatchLine(std::string_view(), record, "%S %c"));
  EXPECT_FALSE(MatchLine(std::string_view(), record, "%S"));
}

TEST(CompilerTest, TerminatorsComeFromTheTextAfterTheToken) {
  const auto terminators_of_first = [](std::string_view format) {
    return CompiledFormat::Compile(format).tokens()[0].terminators;
  };
  const auto set_of = [](std::string_view chars) {
    TerminatorSet set;
    for (char c : chars) set.Add(static_cast<unsigned char>(c));
    return set;
  };
  EXPECT_EQ(terminators_of_first("%S%w"), set_of(" \t"));
  EXPECT_EQ(terminators_of_first("%S%W]"), set_of(" \t]"));
  EXPECT_EQ(terminators_of_first("%S%W"), set_of(" \t"));
  EXPECT_EQ(terminators_of_first("%S%b"), set_of("0123456789"));
  EXPECT_EQ(terminators_of_first("%S%x"), set_of("0123456789"));
  EXPECT_EQ(terminators_of_first("%S%%"), set_of("0123456789"));
  EXPECT_EQ(terminators_of_first("%S\\t"), set_of("\t"));
  EXPECT_EQ(terminators_of_first("%S\\n"), set_of("\n"));
  EXPECT_EQ(terminators_of_first("%S\\q"), set_of("\\"));
  EXPECT_EQ(terminators_of_first("%S\\"), set_of("\\"));
  EXPECT_EQ(terminators_of_first("%S\""), set_of("\""));
  EXPECT_TRUE(terminators_of_first("%S").empty());

  // The one or two characters a field's end is searched for, or none for a set to look up.
  const auto pair_of_first = [](std::string_view format) {
    const FormatToken token = CompiledFormat::Compile(format).tokens()[0];
    return token.terminator_pair ? std::string(token.terminators_of_pair, 2) : "none"s;
  };
  EXPECT_EQ(pair_of_first("%S\""), "\"\"");
  EXPECT_EQ(pair_of_first("%S\\t"), "\t\t");
  EXPECT_EQ(pair_of_first("%S\xff"), "\xff\xff");
  EXPECT_EQ(pair_of_first("%S%w"), "\t ");
  EXPECT_EQ(pair_of_first("%S%W]"), "none");
  EXPECT_EQ(pair_of_first("%S%b"), "none");
  EXPECT_EQ(pair_of_first("%S"), "none");
}

TEST(CompilerTest, HostileFormatsCompile) {
  for (const std::string& format :
       {""s, "%"s, "\\"s, "%%%"s, "%Z%Q%!"s, "\\\\\\"s, std::string(10000, '%'), "%\0x"s}) {
    const CompiledFormat compiled = CompiledFormat::Compile(format);
    LogRecord record;
    record.Reset();
    MatchLine("anything at all", record, compiled);
    MatchLine("", record, compiled);
  }
  EXPECT_TRUE(CompiledFormat::Compile("%Z%Q").tokens().empty());
  EXPECT_TRUE(CompiledFormat::Compile("%").tokens().empty());
}

}  // namespace
}  // namespace velmora
