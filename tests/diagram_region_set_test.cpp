// Region-set algebra: known answers, and the three operations against a std::set model on
// random byte strings.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "diagram/core/region_set.h"

namespace {

using rivo::diagram::RegionDifference;
using rivo::diagram::RegionIntersection;
using rivo::diagram::RegionUnion;

using Operation = std::string (*)(std::string, std::string);

TEST(RegionSet, KnownAnswers) {
    struct Case {
        const char* name;
        Operation op;
        std::string first;
        std::string second;
        std::string expected;
    };
    const Case cases[] = {
        {"union of b and a", RegionUnion, "2356", "1245", "123456"},
        {"intersection of b and a", RegionIntersection, "2356", "1245", "25"},
        {"a minus b", RegionDifference, "1245", "2356", "14"},
        {"b minus a", RegionDifference, "2356", "1245", "36"},
        {"duplicates collapse", RegionUnion, "AAB", "", "AB"},
        {"stored set comes out in order", RegionUnion, "CDMFHIGKPQR", "", "CDFGHIKMPQR"},
        {"four-circle c and d", RegionIntersection, "MIJKEFG", "HBCEFIJ", "EFIJ"},
        {"union with empty second", RegionUnion, "BA", "", "AB"},
        {"difference with empty second", RegionDifference, "BAB", "", "AB"},
        {"intersection with empty second", RegionIntersection, "AB", "", ""},
        {"intersection with empty first", RegionIntersection, "", "AB", ""},
        {"difference with empty first", RegionDifference, "", "AB", ""},
        {"both empty", RegionUnion, "", "", ""},
        {"digits, capitals, small letters", RegionUnion, "a1A", "bB2", "12ABab"},
        {"bytes above 127 sort last", RegionUnion,
         "\xff"
         "a\x80",
         "\x7f", "a\x7f\x80\xff"},
        {"byte 0 is never a code", RegionUnion, std::string("\0A", 2), std::string(1, '\0'), "A"},
        {"difference drops every copy", RegionDifference, "AABBA", "A", "B"},
        {"intersection needs both", RegionIntersection, "AAB", "BBC", "B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.op(c.first, c.second), c.expected);
    }
}

// The model: sets of unsigned byte values, byte 0 left out, written back in ascending order.
std::set<unsigned char> Codes(const std::string& s) {
    std::set<unsigned char> codes;
    for (const char c : s) {
        if (c != '\0') codes.insert(static_cast<unsigned char>(c));
    }
    return codes;
}

std::string Write(const std::set<unsigned char>& codes) {
    std::string s;
    for (const unsigned char c : codes)
        s.push_back(static_cast<char>(c));
    return s;
}

std::string ModelUnion(const std::string& a, const std::string& b) {
    auto codes = Codes(a);
    codes.merge(Codes(b));
    return Write(codes);
}

std::string ModelIntersection(const std::string& a, const std::string& b) {
    std::set<unsigned char> codes;
    const auto inB = Codes(b);
    for (const unsigned char c : Codes(a)) {
        if (inB.count(c) != 0) codes.insert(c);
    }
    return Write(codes);
}

std::string ModelDifference(const std::string& a, const std::string& b) {
    auto codes = Codes(a);
    for (const unsigned char c : Codes(b))
        codes.erase(c);
    return Write(codes);
}

TEST(RegionSet, AgreesWithASetModelOnRandomByteStrings) {
    struct Pair {
        const char* name;
        Operation op;
        std::string (*model)(const std::string&, const std::string&);
    };
    const Pair pairs[] = {
        {"union", RegionUnion, ModelUnion},
        {"intersection", RegionIntersection, ModelIntersection},
        {"difference", RegionDifference, ModelDifference},
    };
    std::mt19937 random(20240607);
    // Short strings over a few codes meet often; long ones over all 256 bytes cover the table.
    auto randomSet = [&](std::size_t maxLength, int alphabet) {
        std::string s(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), '\0');
        for (char& c : s)
            c = static_cast<char>(std::uniform_int_distribution<int>(0, alphabet - 1)(random));
        return s;
    };
    for (int round = 0; round < 2000; ++round) {
        const bool small = round % 2 == 0;
        const std::string a = randomSet(small ? 8 : 600, small ? 6 : 256);
        const std::string b = randomSet(small ? 8 : 600, small ? 6 : 256);
        for (const auto& p : pairs) {
            SCOPED_TRACE(p.name);
            ASSERT_EQ(p.op(a, b), p.model(a, b));
            ASSERT_EQ(p.op(b, a), p.model(b, a));
            ASSERT_EQ(p.op(a, a), p.model(a, a));
            // The result may be stored back into either argument.
            std::string first = a;
            first = p.op(first, b);
            ASSERT_EQ(first, p.model(a, b));
            std::string second = b;
            second = p.op(a, second);
            ASSERT_EQ(second, p.model(a, b));
            std::string both = a;
            both = p.op(both, both);
            ASSERT_EQ(both, p.model(a, a));
        }
    }
}

}  // namespace
