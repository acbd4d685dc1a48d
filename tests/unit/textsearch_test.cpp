#include "editor/textsearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

struct SearchCase {
    const char *name;
    std::string text;
    std::string needle;
    bool matchCase;
    bool wholeWord;
    std::vector<std::size_t> found; // FindAll over the whole text
};

class TextSearchTest : public testing::TestWithParam<SearchCase> {};

TEST_P(TextSearchTest, FindsExactlyTheseOccurrences)
{
    const SearchCase &c = GetParam();
    const TextSearch search(c.needle, {c.matchCase, c.wholeWord});
    EXPECT_EQ(search.FindAll(c.text, 0, c.text.size()), c.found);
}

const std::string kCafe = "caf\xc3\xa9";

INSTANTIATE_TEST_SUITE_P(
    Texts, TextSearchTest,
    testing::Values(
        SearchCase{"CaseIgnoredForAsciiLetters", "Tn_Add tn_add TN_ADD", "tn_ADD", false, false, {0, 7, 14}},
        SearchCase{"CaseKeptWhenMatchCase", "Tn_Add tn_add TN_ADD", "tn_add", true, false, {7}},
        SearchCase{"NonAsciiLettersNeverFolded", "\xc3\x89t\xc3\xa9 \xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9", false, false, {6}},
        SearchCase{"LatinOneBytesAreNoLetters", "\xc1\xe1 a", "A", false, false, {3}},
        SearchCase{"InvalidBytesNeverMatchALetter", "\xffZ \xdfz", "\xdfZ", false, false, {3}},
        SearchCase{"NonOverlapping", "aaaaa", "aa", true, false, {0, 2}},
        SearchCase{"NonOverlappingWithoutCase", "AaAaA", "aa", false, false, {0, 2}},
        SearchCase{"EmptyNeedleNeverOccurs", "abc", "", false, false, {}},
        SearchCase{"NeedleLongerThanText", "ab", "abc", false, false, {}},
        SearchCase{"WholeWordAtStartAndEnd", "head x head", "head", true, true, {0, 7}},
        SearchCase{"WholeWordNotNextToUnderscore", "_head head_ head", "head", false, true, {12}},
        SearchCase{"WholeWordNotNextToDigits", "2head head2 (head)", "head", false, true, {13}},
        SearchCase{"NonAsciiIsPartOfTheWord", kCafe + " caf", "caf", false, true, {6}},
        SearchCase{"WholeWordOfNonAsciiWord", "x" + kCafe + " " + kCafe, kCafe, false, true, {7}},
        SearchCase{"InvalidByteIsPartOfTheWord", "\xff" "end end", "end", false, true, {5}},
        SearchCase{"RejectedWordDoesNotHideTheNextMatch", "ends end", "end", false, true, {5}},
        SearchCase{"LineBreaksSearchedAsBytes", "a\r\nb\nA\r\nB", "a\r\nb", false, false, {0, 5}}),
    [](const testing::TestParamInfo<SearchCase> &info) { return std::string(info.param.name); });

TEST(TextSearch, RangeHoldsWholeOccurrencesButWordsLookBeyondIt)
{
    const std::string text = "xabc abc abc";
    const TextSearch plain("abc", {true, false});
    EXPECT_EQ(plain.Find(text, 2, text.size()), 5u);       // starts inside, not at the range start
    EXPECT_EQ(plain.Find(text, 0, 3), TextSearch::npos);    // straddles the range end
    EXPECT_EQ(plain.Find(text, 0, 4), 1u);
    EXPECT_EQ(plain.Find(text, 9, 100), 9u);                // an end beyond the text is the text end
    const TextSearch word("abc", {true, true});
    EXPECT_EQ(word.Find(text, 1, 4), TextSearch::npos);     // "x" before it, outside the range
    EXPECT_EQ(word.Find(text, 5, 8), 5u);                   // blanks on both sides, outside the range
}

// Against a plain reference on random texts of few letters, so occurrences, near misses and
// word edges are frequent.
TEST(TextSearch, AgreesWithAPlainSearchOnRandomTexts)
{
    const std::string alphabet[] = {"a", "A", "b", "B", "_", " ", "1", "\xc3\xa9", "\xff"};
    std::mt19937 random(11);
    auto randomText = [&](std::size_t pieces) {
        std::string s;
        for (std::size_t i = 0; i < pieces; ++i)
            s += alphabet[random() % std::size(alphabet)];
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = randomText(random() % 200);
        const std::string needle = randomText(1 + random() % 4);
        const SearchOptions options{random() % 2 == 0, random() % 2 == 0};
        std::vector<std::size_t> expected;
        for (std::size_t at = 0; at + needle.size() <= text.size();) {
            const bool same = SameSearchText(std::string_view(text).substr(at, needle.size()), needle, options.matchCase);
            const bool alone = (at == 0 || !IsWordByte(text[at - 1])) &&
                               (at + needle.size() == text.size() || !IsWordByte(text[at + needle.size()]));
            if (same && (alone || !options.wholeWord)) {
                expected.push_back(at);
                at += needle.size();
            } else {
                ++at;
            }
        }
        ASSERT_EQ(TextSearch(needle, options).FindAll(text, 0, text.size()), expected)
            << "text '" << text << "' needle '" << needle << "' case " << options.matchCase << " word "
            << options.wholeWord;
    }
}

TEST(TextSearch, SameSearchTextFoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(SameSearchText("ABC_1", "abc_1", false));
    EXPECT_FALSE(SameSearchText("ABC", "abc", true));
    EXPECT_FALSE(SameSearchText("\xc3\x89", "\xc3\xa9", false));
    EXPECT_FALSE(SameSearchText("[", "{", false)); // one bit apart, like a letter's cases
    EXPECT_FALSE(SameSearchText("ab", "abc", false));
}

TEST(TextSearch, BuildReplacedRebuildsTheRange)
{
    const std::string_view text = "x = a + a * a";
    EXPECT_EQ(BuildReplaced(text.substr(4), 4, {4, 8, 12}, 1, "long"), "long + long * long");
    EXPECT_EQ(BuildReplaced(text, 0, {8}, 1, ""), "x = a +  * a");
    EXPECT_EQ(BuildReplaced(text.substr(2, 3), 2, {}, 1, "b"), "= a");
    EXPECT_EQ(BuildReplaced("ab", 10, {10, 11}, 1, "xyz"), "xyzxyz");
}

} // namespace
