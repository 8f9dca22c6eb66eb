// A record through show --json and import, and by name through set.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/settings/keyer_settings.h"
#include "core/settings/record_fields.h"
#include "core/settings/record_json.h"

namespace {

KeyerSettings randomRecord(unsigned seed) {
    std::mt19937 random(seed);
    KeyerSettings record{};
    for (std::uint8_t& b : recordBytes(record)) b = static_cast<std::uint8_t>(random());
    return record;
}

bool sameBytes(const KeyerSettings& a, const KeyerSettings& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(RecordJson, AnyRecordComesBackByteForByte) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const KeyerSettings original = randomRecord(seed);
        KeyerSettings back{};
        const JsonImportResult result = recordFromJson(recordToJson(original), back);
        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_TRUE(sameBytes(original, back)) << "seed " << seed;
    }
}

TEST(RecordJson, AnEditedFieldChangesWhatTheSameSetChanges) {
    const auto factory = factorySettings();
    std::string json = recordToJson(factory);
    for (auto [from, to] : {std::pair{"\"user2.weight\": \"50\"", "\"user2.weight\": \"64\""},
                            std::pair{"\"msg3\": \"\"", "\"msg3\": \"TEST de\\nK1ABC\""},
                            std::pair{"\"user1.keyerMode\": \"Iambic B\"", "\"user1.keyerMode\": \"UltimDah\""}}) {
        const auto at = json.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        json.replace(at, std::strlen(from), to);
    }
    KeyerSettings imported{};
    ASSERT_TRUE(recordFromJson(json, imported).ok);

    KeyerSettings set = factory;
    const FieldAssignment changes[] = {
        {"user2.weight", "64"}, {"msg3", "TEST de\nK1ABC"}, {"user1.keyerMode", "UltimDah"}};
    ASSERT_TRUE(setRecordFields(set, changes).ok);
    EXPECT_TRUE(sameBytes(imported, set));
    EXPECT_EQ(imported.user2.weight, 64);
}

TEST(RecordJson, BadTextIsRefusedAndTheRecordKept) {
    const KeyerSettings before = randomRecord(7);
    for (const char* text : {"", "[]", "{", "{\"user1.weight\"}", "{\"user1.weight\": \"60\",}", "{} x",
                             "{\"msg1\": \"\\u0100\"}", "{\"msg1\": \"open", "{\"record\": \"00\"}",
                             "{\"format\": \"other\"}", "{\"user1.weight\": \"95\"}", "{\"nosuch\": \"1\"}",
                             "{\"user1.weight\": 1.5}"}) {
        KeyerSettings record = before;
        const JsonImportResult result = recordFromJson(text, record);
        EXPECT_FALSE(result.ok) << text;
        EXPECT_FALSE(result.message.empty()) << text;
        EXPECT_TRUE(sameBytes(record, before)) << text;
    }
}

TEST(RecordJson, WhatNoFlatObjectOfKeyerTextHoldsIsRefusedByName) {
    using namespace std::string_literals;
    const std::string deepArray(1'000'000, '['), deepObject(1'000'000, '{');
    const std::pair<std::string, std::string> cases[] = {
        {deepArray, "a JSON object must start with { (at character 1)"},
        {"{\"msg1\": " + deepArray, "a value must be a string, a whole number, true or false (at member \"msg1\")"},
        {"{\"msg1\": " + deepObject, "a value must be a string, a whole number, true or false (at member \"msg1\")"},
        {"{\"msg1\": \"CQ\", \"msg1\": \"K\"}", "a member may appear only once (at member \"msg1\")"},
        {"{\"msg1\": \"CQ\\u0000\"}", "a string may not hold \\u0000 (at member \"msg1\")"},
        {"{\"CQ\\u0000\": \"1\"}", "a string may not hold \\u0000 (at member \"CQ\\u0000\")"},
        {"{\"msg1\": \"CQ\0\"}"s, "a control character inside a string (at character 13)"},
        {"{\"msg1\": \"CQ\xe9\"}", "a byte that is not UTF-8 in a string (at character 14)"},
        {"{\"user1.weight\": 99999999999999999999}", "user1.weight takes a number"},
        {"{\"user1.weight\": 1e999}", "a value must be a string, a whole number, true or false (at character 22)"},
    };
    const KeyerSettings before = randomRecord(11);
    for (const auto& [text, message] : cases) {
        KeyerSettings record = before;
        EXPECT_EQ(recordFromJson(text, record).message, message) << text.substr(0, 40);
        EXPECT_TRUE(sameBytes(record, before)) << text.substr(0, 40);
    }
}

TEST(RecordFields, PotLimitsSetTogetherPassWhereOneByOneWouldNot) {
    KeyerSettings record = factorySettings();  // pot 5 to 35
    const FieldAssignment both[] = {{"user1.potMinWpm", "40"}, {"user1.potMaxWpm", "60"}};
    ASSERT_TRUE(setRecordFields(record, both).ok);
    EXPECT_EQ(record.user1.potMinWpm, 40);
    EXPECT_EQ(record.user1.potRangeWpm, 20);
    const FieldAssignment inverted[] = {{"user1.potMinWpm", "70"}};
    EXPECT_EQ(setRecordFields(record, inverted).message, "Pot Max must be greater than Pot Min");
}

// All or nothing: assignments taken before the refused one leave no trace,
// whichever step refuses (a name, a user set's capture, the message memory).
TEST(RecordFields, ARefusalLeavesTheRecordByteForByte) {
    const std::vector<std::vector<FieldAssignment>> cases = {
        {{"user1.keyerMode", "UltimDah"}, {"userSet", "2"}, {"nosuch", "1"}},
        {{"user1.weight", "60"}, {"msg2", "CQ"}, {"user2.weight", "95"}},
        {{"userSet", "2"}, {"user1.potMinWpm", "20"}, {"msg1", std::string(300, 'E')}},
    };
    const auto factory = factorySettings();
    for (const auto& assignments : cases) {
        SCOPED_TRACE(assignments.back().name);
        KeyerSettings taken = factory;
        ASSERT_TRUE(setRecordFields(taken, std::span(assignments).first(assignments.size() - 1)).ok);
        ASSERT_FALSE(sameBytes(taken, factory)) << "the assignments before the refused one change the record";
        KeyerSettings record = factory;
        EXPECT_FALSE(setRecordFields(record, assignments).ok);
        EXPECT_TRUE(sameBytes(record, factory));
    }
}

// Fields by name, then the bytes no field names: the message area past an
// empty message memory is such bytes.
TEST(RecordFields, DifferencesNameTheFieldsThenTheBytesNoFieldNames) {
    const auto a = factorySettings();
    KeyerSettings unnamedOnly = a;
    unnamedOnly.messageArea[200 - MessageAreaOffset] ^= 0xFF;
    KeyerSettings both = unnamedOnly;
    both.user1.weight = 60;
    EXPECT_EQ(recordDifferences(a, a), std::vector<std::string>{});
    EXPECT_EQ(recordDifferences(a, unnamedOnly),
              std::vector<std::string>{"no field differs; bytes differ at offsets 200"});
    EXPECT_EQ(recordDifferences(a, both), (std::vector<std::string>{"user1.weight: \"50\" -> \"60\"",
                                                                  "bytes no field names differ at offsets 200"}));
}

}  // namespace
