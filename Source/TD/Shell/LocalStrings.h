#pragma once
// Every text the player reads, by key, from "td/strings_en.csv" (key;text per line).
// A key the table lacks is appended to the loose file as "key;???" so translators
// find it, and the key itself is shown. The file is only ever appended to when the
// table was read from it whole and the file, read again whole, lacks the key; where
// that cannot be done (no loose file, a file that cannot be written) the missing key
// is logged once instead.
#include "Core/Base/Singletone.h"
#include <map>
#include <set>
#include <string>

class LocalStrings : public base::Singletone<LocalStrings> {
public:
    static constexpr const wchar_t* kPath = L"td/strings_en.csv";

    // Loads kPath.
    LocalStrings();

    // Adds the lines of the file (through the file layer); missing or empty adds nothing.
    void load(const std::wstring& path);
    // Adds the lines of `text` as the file would.
    void parse(const std::string& text);
    // The text of `key` with "\n" turned into line breaks; a missing key is appended
    // to the loose file once and comes back as itself.
    std::wstring get(const std::wstring& key);

    std::map<std::wstring, std::wstring> table;
    // The loose file that missing keys are appended to, relative to the data folder.
    std::wstring appendPath = kPath;

private:
    void appendMissing(const std::wstring& key);
    // Reads the keys of the loose file once per path; what keeps it from being read
    // whole, or empty.
    const std::wstring& readLooseKeys();

    // Whether the last load read its file whole (a table from text counts as whole).
    bool tableWhole = true;
    std::wstring looseKeysPath; // the file `looseKeys` were read from; empty: not read
    std::wstring looseProblem;
    std::set<std::wstring> looseKeys;
};
