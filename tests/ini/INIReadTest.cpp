// The line store's operations on texts held in memory.

#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "ini/INIRead.h"
#include "ini/ReferenceStore.h"

namespace {

const char kTemplates[] = "[TemplateLists]";

CINIRead StoreOf(const std::string& text) {
    CINIRead store;
    store.LoadBytes(text);
    return store;
}

// The saved text with CR LF turned back into LF, for readable expectations.
std::string SavedText(const CINIRead& store) {
    std::string text;
    for (const char byte : store.SaveBytes()) {
        if (byte != '\r') {
            text += byte;
        }
    }
    return text;
}

}  // namespace

TEST(INIReadTest, EmptyTextHasNothingToFindFillOrAppend) {
    CINIRead store = StoreOf("");
    std::string line = "stale", key = "untouched";
    EXPECT_EQ(store.FindValueLine(kTemplates, "x", line), 0);
    EXPECT_EQ(line, "");
    EXPECT_EQ(store.FillEmptyKey(kTemplates, "01", "x"), 0);
    EXPECT_EQ(store.AppendInformationsKey("x", key), 0);
    EXPECT_EQ(key, "untouched");
    EXPECT_EQ(store.SaveBytes(), "");
}

TEST(INIReadTest, TextModeKeepsCrLfAndTurnsBareLfIntoCrLf) {
    const std::string crlf = "[A]\r\nk=v\r\n\r\nlast\x1A line";
    EXPECT_EQ(StoreOf(crlf).SaveBytes(), crlf);
    EXPECT_EQ(StoreOf("a\nb\n").SaveBytes(), "a\r\nb\r\n");
    EXPECT_EQ(StoreOf("lone\rcr\r\r\n").SaveBytes(), "lone\rcr\r\r\n");
}

TEST(INIReadTest, FindValueLineIgnoresCaseAndBlanksAroundTheValue) {
    CINIRead store = StoreOf("[TemplateLists]\n  03 =  bkbook_multi.fts  \n");
    std::string line;
    EXPECT_EQ(store.FindValueLine(kTemplates, "BKBOOK_MULTI.FTS", line), 1);
    EXPECT_EQ(line, "03 =  bkbook_multi.fts");
    EXPECT_EQ(store.FindValueLine(kTemplates, "bkbook", line), 0);
    EXPECT_EQ(line, "");
}

TEST(INIReadTest, SectionsAreComparedExactlyAndKeysAboveTheFirstHeaderBelongToAll) {
    CINIRead store =
        StoreOf("01=\n[TemplateLists]\n02=\n[templatelists]\n03=\n[TemplateLists] ;list\n04=\n");
    EXPECT_EQ(store.FillEmptyKey(kTemplates, "03", "x"), 0);
    EXPECT_EQ(store.FillEmptyKey(kTemplates, "04", "x"), 0);
    EXPECT_EQ(store.FillEmptyKey(kTemplates, "01", "x"), 1);
    EXPECT_EQ(store.FillEmptyKey(nullptr, "03", "y"), 1);
    EXPECT_EQ(SavedText(store),
              "01=x\n[TemplateLists]\n02=\n[templatelists]\n03=y\n[TemplateLists] ;list\n04=\n");
}

TEST(INIReadTest, AValueWithBracketsMakesAHeaderButTrailBytesDoNot) {
    // "ー" is 0x81 0x5B and "・" 0x81 0x45: a trail byte 0x5B is no '['.
    CINIRead store = StoreOf("[TemplateLists]\n05=a[1]\n06=\n07=\x81\x5B\x81]\n08=\n");
    EXPECT_EQ(store.FillEmptyKey(kTemplates, "06", "x"), 0);  // out of scope after "05=a[1]"
    CINIRead kana = StoreOf("[TemplateLists]\n07=\x81\x5B\x81\x5D\n08=\n");
    EXPECT_EQ(kana.FillEmptyKey(kTemplates, "08", "x"), 1);
}

TEST(INIReadTest, FillEmptyKeyMatchesTheKeyAsWrittenAndRewritesTheLine) {
    CINIRead store = StoreOf("[S]\n05 =\n   06=  \n07\nAb=\n");
    EXPECT_EQ(store.FillEmptyKey("[S]", "05", "x"), 0);  // its key is "05 "
    EXPECT_EQ(store.FillEmptyKey("[S]", "07", "x"), 0);  // no '='
    EXPECT_EQ(store.FillEmptyKey("[S]", "06", "x"), 1);
    EXPECT_EQ(store.FillEmptyKey("[S]", "aB", "y"), 1);
    EXPECT_EQ(store.FillEmptyKey("[S]", "5", "z"), 0);
    EXPECT_EQ(SavedText(store), "[S]\n05 =\n06=x\n07\nAb=y\n");
}

TEST(INIReadTest, FillEmptyKeyStopsAtTheFirstLineWithTheKey) {
    CINIRead store = StoreOf("[S]\n05=x\n05=\n");
    EXPECT_EQ(store.FillEmptyKey("[S]", "05", "y"), 0);
    EXPECT_EQ(SavedText(store), "[S]\n05=x\n05=\n");
}

TEST(INIReadTest, RepeatedFillsSeeEarlierEdits) {
    CINIRead store = StoreOf("[S]\n01=\n02=\n");
    EXPECT_EQ(store.FillEmptyKey("[S]", "01", "a"), 1);
    EXPECT_EQ(store.FillEmptyKey("[S]", "01", "b"), 0);
    EXPECT_EQ(store.FillEmptyKey("[S]", "02", "b"), 1);
    EXPECT_EQ(SavedText(store), "[S]\n01=a\n02=b\n");
}

TEST(INIReadTest, CommentsAndALeadingByteOrderMarkArePartOfNoEntry) {
    const std::string bom = "\xEF\xBB\xBF";
    CINIRead store = StoreOf(bom + "[S]\n ;01=p\n;[X]\n01=\n;02=\n");
    std::string line, key;
    EXPECT_EQ(store.FindValueLine("[S]", "p", line), 0);
    EXPECT_EQ(store.FillEmptyKey("[S]", ";02", "x"), 0);
    EXPECT_EQ(store.FillEmptyKey("[S]", "01", "x"), 1);  // ";[X]" closes no section
    EXPECT_EQ(store.AppendKey("[S]", "y", key), 1);
    EXPECT_EQ(key, "000002");
    EXPECT_EQ(SavedText(store), bom + "[S]\n ;01=p\n;[X]\n01=x\n;02=\n000002=y\n");
    // Only at the very start is it a mark; an empty list keeps it.
    EXPECT_EQ(StoreOf(bom).SaveBytes(), bom);
    CINIRead later = StoreOf("[S]\n" + bom + "01=\n");
    EXPECT_EQ(later.FillEmptyKey("[S]", "01", "x"), 0);
    CINIRead sectionless = StoreOf(bom + ";[S]\n");
    EXPECT_FALSE(sectionless.HasSectionHeader("[S]"));
    EXPECT_TRUE(StoreOf(bom + "[S]\n").HasSectionHeader("[S]"));
}

TEST(INIReadTest, AFreeEntryIsOneNoLineOfItsSlotNumberHolds) {
    const std::vector<std::string> keys = {"000001", "000002", "000003"};
    const struct {
        const char* text;
        const char* filled;  // empty: none
    } cases[] = {
        {"[I]\n000001=a\n2=b\n000002=\n000003=\n", "000003"},
        {"[I]\n000001=a\n000002=\n000002 =b\n000003=\n", "000003"},
        {"[I]\n000001=a\n000002=\n[I]\n0002=b\n", ""},
        {"[I]\n000001=a\n000002=\n[J]\n2=b\n", "000002"},  // out of scope
        {"[I]\n000001=a\n000002=\n;2=b\n", "000002"},      // a comment holds nothing
        {"[I]\n000001=\n1000001=b\n", "000001"},           // no slot number
    };
    for (const auto& item : cases) {
        CINIRead store = StoreOf(item.text);
        std::string key;
        EXPECT_EQ(store.FillFreeKey("[I]", keys, "n", key), *item.filled ? 1 : 0) << item.text;
        EXPECT_EQ(key, item.filled) << item.text;
    }
    CINIRead store = StoreOf("[I]\n000002=\n2=b\nabc=c\n000004=\n");
    EXPECT_EQ(store.ValuedKeys("[I]", {"000002", "02", "ABC", "000004", "x"}),
              (std::vector<bool>{true, true, true, false, false}));
}

TEST(INIReadTest, AppendGoesAfterTheLastInformationsLineBeforeTheNextSection) {
    CINIRead store = StoreOf("[Informations]\n000001=a\n000002=b\n\n[Other]\na=\n");
    std::string key;
    EXPECT_EQ(store.AppendInformationsKey("new", key), 1);
    EXPECT_EQ(key, "000003");
    EXPECT_EQ(SavedText(store), "[Informations]\n000001=a\n000002=b\n\n000003=new\n[Other]\na=\n");
    // Later lines moved down by one: a fill still rewrites the right line.
    EXPECT_EQ(store.FillEmptyKey("[Other]", "a", "z"), 1);
    EXPECT_EQ(SavedText(store), "[Informations]\n000001=a\n000002=b\n\n000003=new\n[Other]\na=z\n");
}

TEST(INIReadTest, AppendStaysInsideInformationsWhateverFollowsItsClosingHeader) {
    const struct {
        const char* before;
        const char* after;
    } layouts[] = {
        {"[Informations]\n000004=a\n[Other]\n; note\nb=1\n",
         "[Informations]\n000004=a\n000005=n\n[Other]\n; note\nb=1\n"},
        {"[Informations]\n000004=a\n[Empty]\n[Other]\nb=1\n",
         "[Informations]\n000004=a\n000005=n\n[Empty]\n[Other]\nb=1\n"},
        // Later sections without key lines: the entry still closes [Informations].
        {"[Informations]\n000001=a\n[Other]\n;c\n",
         "[Informations]\n000001=a\n000002=n\n[Other]\n;c\n"},
        {"[Informations]\n000001=a\n\n[Other]\n",
         "[Informations]\n000001=a\n\n000002=n\n[Other]\n"},
        {"[A]\nx=1\n[Informations]\n000003=a\n[B]\n",
         "[A]\nx=1\n[Informations]\n000003=a\n000004=n\n[B]\n"},
        // A key above the first header, then [Informations]: the entry goes under that header.
        {"000004=a\n[Informations]\n", "000004=a\n[Informations]\n000005=n\n"},
        {"000004=a\n[Informations]\n[Other]\nb=1\n",
         "000004=a\n[Informations]\n000005=n\n[Other]\nb=1\n"},
    };
    for (const auto& layout : layouts) {
        CINIRead store = StoreOf(layout.before);
        std::string key;
        ASSERT_EQ(store.AppendInformationsKey("n", key), 1) << layout.before;
        EXPECT_EQ(SavedText(store), layout.after);
    }
}

TEST(INIReadTest, AppendAtTheEndTakesTheLastKeyInLineOrder) {
    CINIRead store = StoreOf("[A]\nx=1\n[Informations]\n000012=a\n000009=b\n\n");
    std::string key;
    EXPECT_EQ(store.AppendInformationsKey("c", key), 1);
    EXPECT_EQ(key, "000010");
    EXPECT_EQ(SavedText(store), "[A]\nx=1\n[Informations]\n000012=a\n000009=b\n\n000010=c\n");
}

TEST(INIReadTest, AppendedKeyNeverClashesWithAnInformationsKey) {
    // Last key + 1 is taken, here or in a later [Informations] section: the next free number.
    const struct {
        const char* text;
        const char* key;
    } cases[] = {
        {"[Informations]\n000010=a\n000012=b\n000009=c\n", "000011"},
        {"[Informations]\n000001=a\n[X]\ny=1\n[Informations]\n2=b\n000003=c\n", "000004"},
        {"[Informations]\n000005=a\n[X]\n000006=out of scope\n", "000006"},
    };
    for (const auto& item : cases) {
        CINIRead store = StoreOf(item.text);
        std::string key;
        ASSERT_EQ(store.AppendInformationsKey("n", key), 1) << item.text;
        EXPECT_EQ(key, item.key) << item.text;
    }
}

TEST(INIReadTest, AppendedEntryStartsOnALineOfItsOwn) {
    CINIRead store = StoreOf("[Informations]\r\n000001=a");
    std::string key;
    EXPECT_EQ(store.AppendInformationsKey("b", key), 1);
    EXPECT_EQ(store.SaveBytes(), "[Informations]\r\n000001=a\r\n000002=b\r\n");
}

TEST(INIReadTest, AppendNeedsAKeyInScope) {
    std::string key = "untouched";
    CINIRead noKeys = StoreOf("[Other]\na=1\n[Informations]\n\n");
    EXPECT_EQ(noKeys.AppendInformationsKey("x", key), 0);
    EXPECT_EQ(key, "untouched");
    EXPECT_EQ(SavedText(noKeys), "[Other]\na=1\n[Informations]\n\n");
    CINIRead keyAboveHeaders = StoreOf("7=a\n[Other]\nb=1\n");
    EXPECT_EQ(keyAboveHeaders.AppendInformationsKey("x", key), 1);
    EXPECT_EQ(SavedText(keyAboveHeaders), "7=a\n000008=x\n[Other]\nb=1\n");
}

TEST(INIReadTest, HugeAndNegativeKeysNeverOverflow) {
    std::string key;
    CINIRead huge = StoreOf("[Informations]\n99999999999999999999999=a\n");
    EXPECT_EQ(huge.AppendInformationsKey("x", key), 0);  // no number above it is free
    EXPECT_EQ(key, "");
    CINIRead nearlyHuge = StoreOf("[Informations]\n9223372036854775806=a\n");
    EXPECT_EQ(nearlyHuge.AppendInformationsKey("x", key), 1);
    EXPECT_EQ(key, "9223372036854775807");
    CINIRead negative = StoreOf("[Informations]\n-5=a\n");
    EXPECT_EQ(negative.AppendInformationsKey("x", key), 1);
    EXPECT_EQ(key, "-00004");
}

TEST(INIReadTest, LongLinesAreHeldWhole) {
    // A 1500-byte value: no piece of it is judged a line of its own.
    const std::string longValue(1500, 'v');
    CINIRead store = StoreOf("[S]\n01=" + longValue + "[x]\n02=\n");
    EXPECT_EQ(store.FillEmptyKey("[S]", "02", "y"), 0);  // "01=...[x]" is a header
    const std::string padding(3000, ' ');
    CINIRead padded = StoreOf("[S]\n" + padding + "01=" + padding + "\n");
    EXPECT_EQ(padded.FillEmptyKey("[S]", "01", "y"), 1);
    EXPECT_EQ(SavedText(padded), "[S]\n01=y\n");
}

TEST(INIReadTest, EntriesOfAValueCanBeEmptiedOrRemoved) {
    CINIRead store = StoreOf(
        "000001=P\n[Informations]\n000002 = p \n000003=q\n[X]\n4=p\n"
        "[Informations]\n000120=p\n");
    const auto entries = store.FindValueEntries("[Informations]", "p");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].key, "000001");
    EXPECT_EQ(entries[1].key, "000002 ");
    EXPECT_EQ(entries[2].line, 7u);
    store.RemoveLineAt(entries[2].line);
    store.EmptyValueAt(entries[1].line);
    store.EmptyValueAt(entries[0].line);
    EXPECT_EQ(SavedText(store),
              "000001=\n[Informations]\n000002 =\n000003=q\n[X]\n4=p\n"
              "[Informations]\n");
    // The edits are seen by later operations.
    EXPECT_EQ(store.FillEmptyKey("[Informations]", "000001", "r"), 1);
    EXPECT_TRUE(store.FindValueEntries("[Informations]", "p").empty());
}

namespace {

// Lists made of the lines that each rule turns on, with every kind of line end, some lines
// long enough to fill whole blocks of a search, and a last line with or without its end.
std::string GeneratedList(std::mt19937& random) {
    static const char* const kLines[] = {"[Informations]",
                                         " [Informations] ",
                                         "[informations]",
                                         "[A]",
                                         "x]y[",
                                         "05=a[1]",
                                         "[B\x83\x5D",
                                         "000001=",
                                         "000002=p",
                                         "3=",
                                         " 000004 =  ",
                                         "+5=q",
                                         "-2=",
                                         "Ab=",
                                         "ab=x",
                                         "=",
                                         "=v",
                                         "000001=\x83X\x81[",
                                         "k=a=b",
                                         "k==",
                                         "",
                                         " ",
                                         ";c",
                                         ";000002=p",
                                         " ;[Informations]",
                                         "\x81\x5B",
                                         "p",
                                         "000009=P ",
                                         "99999999999999999999=z",
                                         "000010=000011"};
    static const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", "\n", "\r\r\n"};
    std::string text = random() % 8 == 0 ? "\xEF\xBB\xBF" : "";
    const int count = static_cast<int>(random() % 40);
    for (int line = 0; line < count; ++line) {
        text += random() % 15 == 0 ? std::string(random() % 6000, 'v')
                                   : kLines[random() % std::size(kLines)];
        text += line + 1 < count || random() % 2 == 0 ? kEnds[random() % std::size(kEnds)] : "";
    }
    return text;
}

}  // namespace

TEST(INIReadTest, EveryOperationFollowsTheLineRulesOnGeneratedLists) {
    const char* const sections[] = {nullptr, "", "[Informations]", "[A]", "x]y["};
    const std::string values[] = {"",    "p", "P",      "q",    "x",   "\x83X\x81[",
                                  "a=b", "=", "000011", "a[1]", "m\nn"};
    const std::string keys[] = {"000001", "000002", "aB", "", "3", "05", " 000004", "k"};
    std::mt19937 random(11);
    for (int list = 0; list < 400; ++list) {
        const std::string text = GeneratedList(random);
        CINIRead store = StoreOf(text);
        ReferenceStore reference(text);
        for (int step = 0; step < 12; ++step) {
            const char* section = sections[random() % std::size(sections)];
            const std::string& value = values[random() % std::size(values)];
            const std::string& key = keys[random() % std::size(keys)];
            std::string got, expected;
            switch (random() % 7) {
                case 0:
                    ASSERT_EQ(store.FindValueLine(section, value, got),
                              reference.FindValueLine(section, value, expected));
                    break;
                case 1:
                    ASSERT_EQ(store.FillEmptyKey(section, key, value),
                              reference.FillEmptyKey(section, key, value));
                    break;
                case 2:
                    ASSERT_EQ(store.AppendInformationsKey(value, got),
                              reference.AppendInformationsKey(value, expected));
                    break;
                case 3: {
                    const auto entries = store.FindValueEntries(section, value);
                    const auto wanted = reference.FindValueEntries(section, value);
                    ASSERT_EQ(entries.size(), wanted.size());
                    for (std::size_t index = 0; index < entries.size(); ++index) {
                        ASSERT_EQ(entries[index].line, wanted[index].first);
                        ASSERT_EQ(entries[index].key, wanted[index].second);
                    }
                    break;
                }
                case 4: {
                    const std::size_t line = random() % (reference.LineCount() + 1);
                    store.EmptyValueAt(line);
                    reference.EmptyValueAt(line);
                    break;
                }
                case 5: {
                    const std::size_t line = random() % (reference.LineCount() + 1);
                    store.RemoveLineAt(line);
                    reference.RemoveLineAt(line);
                    break;
                }
                default: {
                    ASSERT_EQ(store.HasKeyLine(section), reference.HasKeyLine(section));
                    const CINIRead copy = store;  // a copy carries on alone
                    store = copy;
                }
            }
            ASSERT_EQ(got, expected) << text;
            ASSERT_EQ(store.SaveBytes(), reference.SaveBytes()) << text;
        }
    }
}
