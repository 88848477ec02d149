#include "data/cp1252.h"
#include "data/field_text.h"
#include "data/number_format.h"

#include <gtest/gtest.h>

using namespace acremark;

TEST(NumberFormat, PatternsOfTheProgram) {
    struct Case {
        const char* pattern;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {"#,###", 1234567.8, "1,234,568"}, {"#,###", 0, ""},          {"#,###", -1500, "-1,500"},
        {"#", 0, ""},                      {"#", 12.5, "13"},         {"#", -0.4, ""},
        {"#,##0.0", 0, "0.0"},             {"#,##0.0", 1234.56, "1,234.6"},
        {"#.#", 0.5, ".5"},                {"#.#", 40, "40"},         {"#.#", 40.25, "40.3"},
        {"0.00", 2.675, "2.68"},           {"0.00", -0.004, "0.00"},  {"0.00", 1.005, "1.01"},
        {"#.##", 8.05, "8.05"},            {"#.##", 8.1, "8.1"},      {"#.##", 0, ""},
        {"#,##0.00", 16.936165, "16.94"},  {"$#,##0", 25300.4, "$25,300"},
        {"$#,##0", -4500, "-$4,500"},      {"###.00%", 12.345, "12.35%"},
        {"###.00%", 0.5, ".50%"},          {"0.00%", 0.5, "0.50%"},   {"0%", 42.4, "42%"},
        {"0", 99.5, "100"},                {"#,###%", 1500, "1,500%"},
        {"0.00;; ", 3.14159, "3.14"},      {"0.00;; ", 0, " "},       {"0.00;; ", -2, "-2.00"},
        {"0.00;; ", 0.001, " "},           {"#,##0", 999.5, "1,000"}, {"0.00;(0.00)", -2, "(2.00)"},
        {"#,##0", 1e15, "1,000,000,000,000,000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.pattern, c.value), c.text) << c.pattern << " " << c.value;
}

TEST(NumberFormat, LocaleSeparatorsArePassedIn) {
    NumberSeparators de{",", "."};
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, de), "1.234,50");
    EXPECT_EQ(FormatFloat("$#,##0", 25300, {".", "\xC2\xA0"}), "$25\xC2\xA0" "300");
}

TEST(NumberFormat, DatesAndClock) {
    DateTimeParts t{2023, 3, 6, 9, 5, 7};
    EXPECT_EQ(FormatDateTime("MMM D, YYYY", t), "Mar 6, 2023");
    EXPECT_EQ(FormatDateTime(" MMM D, HH:MM:SS", t), " Mar 6, 09:05:07");
    t.day = 26;
    t.month = 12;
    EXPECT_EQ(FormatDateTime("MMM D, YYYY", t), "Dec 26, 2023");
}

TEST(Cp1252, ConvertsAtTheFileBoundary) {
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(Utf8ToCp1252("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
    EXPECT_EQ(Utf8ToCp1252("\xE6\x97\xA5 x"), "? x"); // no Windows-1252 byte
    EXPECT_EQ(Utf8ToCp1252("\xFF"), "?");           // broken UTF-8
    std::string all;
    for (int b = 1; b < 256; ++b) all += char(b);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(Utf8Length("caf\xC3\xA9"), 4u);
    EXPECT_EQ(Utf8Left("caf\xC3\xA9!", 4), "caf\xC3\xA9");
}

TEST(FieldText, RangeAndTypeMessages) {
    FieldSpec township{"Township", FieldType::Int16, 0, 1, 126};
    EXPECT_EQ(ConvertFieldText(township, "127").error,
              "127 is not a valid value for field 'Township'. The allowed range is 1 to 126");
    EXPECT_EQ(ConvertFieldText(township, "x1").error,
              "'x1' is not a valid integer value for field 'Township'");
    EXPECT_EQ(std::get<int64_t>(ConvertFieldText(township, "126").value), 126);
    EXPECT_TRUE(IsNull(ConvertFieldText(township, "  ").value));
    FieldSpec plain16{"Rate", FieldType::Int16};
    EXPECT_EQ(ConvertFieldText(plain16, "40000").error,
              "40000 is not a valid value for field 'Rate'. The allowed range is -32768 to 32767");
    FieldSpec acres{"Acres", FieldType::Double};
    for (const char* bad : {"1,5", "1.2.3", ".", "e5", "1e", "nan", "inf", "12a"})
        EXPECT_EQ(ConvertFieldText(acres, bad).error,
                  std::string("'") + bad + "' is not a valid floating point value for field 'Acres'");
    EXPECT_EQ(std::get<double>(ConvertFieldText(acres, "-.5").value), -0.5);
    FieldSpec crop{"Crop", FieldType::Int32};
    EXPECT_EQ(ConvertFieldText(crop, "99999999999").error,
              "'99999999999' is not a valid integer value for field 'Crop'");
}
