// The prefix listing and the pipeline driver.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/error.h"
#include "expr/m_tree.h"
#include "expr/tree.h"
#include "tests/separator_scope.h"

namespace {

using rivo::expr::AddKindSuffix;
using rivo::expr::BuildListing;
using rivo::expr::Listing;
using rivo::expr::PipelineError;
using rivo::expr::RunBudget;
using rivo::expr::TreeContainer;

TEST(AddKindSuffix, MarksOperatorsFunctionsAndNumbers) {
    struct Case {
        const char* label;
        const char* line;
    };
    const Case cases[] = {
        {"+", "+ @F"},        {"-", "- @F"},        {"*", "* @F"},        {"/", "/ @F"},
        {"^", "^ @F"},        {"=", "= @F"},        {"==", "== @F"},      {"!=", "!= @F"},
        {"<", "< @F"},        {">=", ">= @F"},      {":", ":"},           {"sin @F", "sin @F"},
        {"neg @F", "neg @F"}, {"m @A", "m @A"},     {"2", "2 @N"},        {"1.5", "1.5 @N"},
        {"-3", "-3 @N"},      {"1,5", "1,5 @N"},    {"", " @N"},          {"a", "a"},
        {"x1", "x1"},         {"a ", "a "},         {"a!", "a! @F"},      {"a&b", "a&b @F"},
        {"1E15", "1E15"},     {"2E-5", "2E-5 @N"},  {"x @F y", "x @F y"}, {"\\", "\\"},
        {"@F", "@F"},         {"a-b @F", "a-b @F"}, {"f_1", "f_1"},       {"-", "- @F"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(AddKindSuffix(c.label), c.line);
    }
}

TEST(BuildListing, ListsTheRootSubtreeInPreOrder) {
    const rivo::testing::SeparatorScope dot('.');
    struct Case {
        const char* name;
        std::string text;
        Listing lines;
    };
    const Case cases[] = {
        {"default text",
         "a*b+b*c+a*c-a*b*c",
         {"- @F", "+ @F", "+ @F", "* @F", "a", "b", "* @F", "b", "c", "* @F", "a", "c", "* @F",
          "* @F", "a", "b", "c"}},
        {"parentheses", "(a+b)*c", {"* @F", "+ @F", "a", "b", "c"}},
        {"empty text", "", {" @N"}},
        {"only the root of a list", "a;b", {"a"}},
        {"colon has no suffix", "x:y", {":", "x", "y"}},
        {"number", "2", {"2 @N"}},
        {"comma number", "1,5", {"1,5 @N"}},
        {"identifier", "x1", {"x1"}},
        {"blanks stay", "a + b", {"+ @F", "a ", " b"}},
        {"odd leaf", "a!", {"a! @F"}},
        {"function", "f(a;b)", {"f @F", "a", "b"}},
        {"text used as typed", " A*b ", {"* @F", " A", "b "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunBudget budget;
        TreeContainer tree(budget);
        EXPECT_EQ(BuildListing(c.text, tree), c.lines);
    }
}

TEST(BuildListing, EachRunStartsFromAClearedContainer) {
    RunBudget budget;
    TreeContainer tree(budget);
    BuildListing("a;b;c", tree);
    EXPECT_EQ(tree.TopLevelCount(), 3);
    EXPECT_EQ(BuildListing("b*c", tree), (Listing{"* @F", "b", "c"}));
    EXPECT_EQ(tree.TopLevelCount(), 1);
    EXPECT_EQ(tree.NodeCount(), 3u);
}

TEST(BuildListing, RefusesTextsOverOneMebibyte) {
    RunBudget budget;
    TreeContainer tree(budget);
    const std::string limit(rivo::expr::kMaxExpressionBytes, 'a');
    EXPECT_EQ(BuildListing(limit, tree), Listing{std::string(23, 'a')});
    try {
        BuildListing(limit + "a", tree);
        ADD_FAILURE() << "no error";
    } catch (const PipelineError& e) {
        EXPECT_STREQ(e.what(), "Expression is too large");
    }
}

TEST(BuildListing, TheListingCountsAgainstTheMemoryBudget) {
    // Two nodes a byte and nothing for the passes to do: the listing needs 32 bytes a line; the
    // parser's index and work stack about 50, released before the listing starts.
    const std::string text = "a" + std::string(20000, '-');
    RunBudget probeBudget;
    TreeContainer probe(probeBudget);
    rivo::expr::BuildTree(text, probe);
    const std::size_t tree = probeBudget.MemoryBytes();
    const std::size_t lines = probe.NodeCount();
    RunBudget budget({.memory = tree + 64 * lines});
    {
        TreeContainer roomy(budget);
        EXPECT_EQ(BuildListing(text, roomy).size(), lines);
    }
    TreeContainer tight(budget);
    rivo::expr::BuildTree(text, tight);        // the tree alone fits
    tight.Budget().SetHeldMemory(40 * lines);  // and then leaves 24 bytes a line
    try {
        rivo::expr::ListTree(tight);
        ADD_FAILURE() << "no error";
    } catch (const PipelineError& e) {
        EXPECT_STREQ(e.what(), "Expression is too large");
    }
    tight.Clear();
    tight.Budget().SetHeldMemory(40 * lines);  // a listing the caller still keeps
    EXPECT_THROW(BuildListing(text, tight), PipelineError);
}

TEST(BuildListing, DeepTreesAreListedWithoutRecursion) {
    std::string text = "a";
    for (int i = 0; i < 20000; ++i)
        text = "(" + text + "-b)";
    RunBudget budget;
    TreeContainer tree(budget);
    const Listing lines = BuildListing(text, tree);
    ASSERT_EQ(lines.size(), 40001u);
    EXPECT_EQ(lines.front(), "- @F");
    EXPECT_EQ(lines[19999], "- @F");
    EXPECT_EQ(lines[20000], "a");
    EXPECT_EQ(lines.back(), "b");
}

}  // namespace
