// The sound table: reading the sheet and playing effects by name.
#include "tests/Game/Audio/AudioFixture.h"

#include "Core/Base/StringEncoding.h"
#include "Source/TD/Audio/Sound.h"
#include "tests/Support/LogCapture.h"

namespace {

struct SheetCase {
    const char* what;
    std::string text;
    std::vector<std::wstring> names; // entries, in order
    std::vector<std::wstring> files;
    std::vector<int> numbers;
    std::vector<int> tags;
    std::vector<int> tagMap; // every key of the tag map
};

TEST_F(AudioTest, SheetLinesBecomeEntries)
{
    const SheetCase cases[] = {
        {"plain line", "shot;shot.wav;1.5;7;0\n", {L"shot"}, {L"shot.wav"}, {1}, {7}, {7}},
        {"number truncates toward zero", "a;;-2.7;1\n", {L"a"}, {L""}, {-2}, {1}, {1}},
        {"missing third and fourth cells read 0, not the line before",
         "a;;5;9\nb;\nc;;3\n",
         {L"a", L"b", L"c"},
         {L"", L"", L""},
         {5, 0, 3},
         {9, 0, 0},
         {0, 9}},
        {"the first line without them reads 0 too", "a\n", {L"a"}, {L""}, {0}, {0}, {0}},
        {"comment line enters its tag only", "#;x.wav;0;42\nb;;0;3\n", {L"b"}, {L""}, {0}, {3}, {3, 42}},
        {"empty lines, CRLF and padding", "\n  a ; a.wav ;1;2\r\n\r\n\tb;b.wav;0;1\r\n", {L"a", L"b"},
         {L"a.wav", L"b.wav"}, {1, 0}, {2, 1}, {1, 2}},
        {"UTF-8 names", "\xc3\xa9t\xc3\xa9;;0;0\n", {L"\u00e9t\u00e9"}, {L""}, {0}, {0}, {0}},
        {"malformed UTF-8 keeps only the tag", "\xff\xfe;;0;5\nok;;0;6\n", {L"ok"}, {L""}, {0}, {6}, {5, 6}},
        {"numbers no int holds read 0", "a;;1e30;1\nb;;nan;2\n", {L"a", L"b"}, {L"", L""}, {0, 0}, {1, 2},
         {1, 2}},
        {"empty text", "", {}, {}, {}, {}, {}},
    };
    k2::SoundTags* table = k2::SoundTags::instance();
    for (const SheetCase& c : cases) {
        SCOPED_TRACE(c.what);
        table->tags.clear();
        table->loadText(c.text);
        std::vector<std::wstring> names, files;
        std::vector<int> numbers, tags, tagMap;
        for (const auto& entry : table->entries) {
            names.push_back(entry->name);
            files.push_back(entry->file);
            numbers.push_back(entry->number);
            tags.push_back(entry->tag);
        }
        for (const auto& [tag, value] : table->tags) {
            tagMap.push_back(tag);
            EXPECT_EQ(value, 2);
        }
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(files, c.files);
        EXPECT_EQ(numbers, c.numbers);
        EXPECT_EQ(tags, c.tags);
        EXPECT_EQ(tagMap, c.tagMap);
    }
}

struct PlayCase {
    const char* what;
    const wchar_t* name;
    bool found;
    const char* plays; // file of the entry whose channel runs, or null for none
};

TEST_F(AudioTest, PlayingByName)
{
    PutWav("td/data/sound/first.wav", 2.0);
    PutWav("td/data/sound/second.wav", 2.0);
    PutWav("td/data/sound/click.ogg.wav", 2.0);
    Put("td/data/sound/broken.wav", "not a sound");
    k2::SoundTags* table = k2::SoundTags::instance();
    {
        LogCapture log;
        table->load(L"td/sounds_sheet.csv"); // missing sheet: an empty table
        EXPECT_TRUE(table->entries.empty());
        Put("td/sounds_sheet.csv", "\xef\xbb\xbf"
                                   "twice;;0;1\n"
                                   "twice;first.wav;0;1\n"
                                   "twice;second.wav;0;1\n"
                                   "silent;;0;2\n"
                                   "broken;broken.wav;0;3\n"
                                   "Case;second.wav;0;4\n");
        table->load(L"td/sounds_sheet.csv");
        EXPECT_EQ(log.Lines(), 1); // the broken sample, once
    }
    ASSERT_EQ(table->entries.size(), 6u);
    EXPECT_EQ(table->entries[0]->name, L"twice"); // the byte-order mark is not part of the name
    EXPECT_EQ(table->entries[4]->sound, nullptr);

    const PlayCase cases[] = {
        {"two entries of one name: the first with a file plays", L"twice", true, "first.wav"},
        {"empty file column: found, but no sound", L"silent", true, nullptr},
        {"a sample that did not load plays nothing", L"broken", true, nullptr},
        {"unknown name", L"nothing", false, nullptr},
        {"names compare exactly", L"case", false, nullptr},
    };
    for (const PlayCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : table->entries) {
            if (entry->sound)
                BASS_ChannelStop(entry->sound->mChannel);
        }
        recorder.sounds.clear();
        EXPECT_EQ(table->play(c.name), c.found);
        std::vector<std::wstring> running;
        for (const auto& entry : table->entries) {
            if (entry->sound && BASS_ChannelIsActive(entry->sound->mChannel) == BASS_ACTIVE_PLAYING)
                running.push_back(entry->file);
        }
        const std::vector<std::wstring> expected =
            c.plays ? std::vector<std::wstring>{ConvertToWide(c.plays)} : std::vector<std::wstring>{};
        EXPECT_EQ(running, expected);
        EXPECT_EQ(recorder.sounds, std::vector<std::wstring>{std::wstring(c.name) + (c.found ? L"" : L"?")});
    }
}

TEST_F(AudioTest, PlayingAgainRestartsTheOneChannelAtTheProfileVolume)
{
    PutWav("td/data/sound/hit.wav", 2.0);
    k2::SoundTags* table = k2::SoundTags::instance();
    table->loadText("hit;hit.wav;0;1\n");
    ASSERT_EQ(table->entries.size(), 1u);
    const Sound* sound = table->entries[0]->sound.get();
    ASSERT_NE(sound, nullptr);
    float volume = 0.6f;
    system->profileSoundVolume = [&volume] { return volume; };
    EXPECT_TRUE(table->play(L"hit"));
    float set = 0.0f;
    BASS_ChannelGetAttribute(sound->mChannel, BASS_ATTRIB_VOL, &set);
    EXPECT_FLOAT_EQ(set, 0.6f);
    volume = 0.3f;
    EXPECT_TRUE(table->play(L"hit"));
    BASS_ChannelGetAttribute(sound->mChannel, BASS_ATTRIB_VOL, &set);
    EXPECT_FLOAT_EQ(set, 0.3f);
    EXPECT_EQ(BASS_ChannelIsActive(sound->mChannel), BASS_ACTIVE_PLAYING);
    EXPECT_EQ(table->entries[0]->sound.get(), sound); // still the one channel
}

TEST_F(AudioTest, ReloadingReplacesTheTableAndSharesSamplesBetweenEntries)
{
    PutWav("td/data/sound/a.wav", 0.2);
    k2::SoundTags* table = k2::SoundTags::instance();
    table->loadText("one;a.wav;0;1\ntwo;a.wav;0;1\n");
    ASSERT_EQ(table->entries.size(), 2u);
    ASSERT_TRUE(table->entries[0]->sound && table->entries[1]->sound);
    EXPECT_EQ(table->entries[0]->sound->mSample.Get(), table->entries[1]->sound->mSample.Get());
    table->loadText("three;a.wav;0;1\n");
    ASSERT_EQ(table->entries.size(), 1u);
    EXPECT_EQ(table->entries[0]->sound->mSample.UseCount(), 1);
}

} // namespace
