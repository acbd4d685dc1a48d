// JSON text written straight into a string, for the answers that list many places (references,
// highlights, renaming edits, completion items, folding ranges): building them as Qt's JSON
// objects first costs several heap blocks per value, more than the places cost to find.
#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class LspJsonWriter {
public:
    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }
    // The name of the next value in an object.
    void Key(std::string_view name);
    void String(std::string_view utf8);
    void String(const char *utf8) { String(std::string_view(utf8)); }
    void String(const std::string &utf8) { String(std::string_view(utf8)); }
    void String(const QString &text) { String(std::string_view(text.toStdString())); }
    void Number(std::int64_t number);
    void Bool(bool value);
    void Null();
    // Text that is JSON already.
    void Raw(std::string_view json);

    const std::string &Text() const { return m_out; }
    std::string Take() { return std::move(m_out); }

private:
    void Open(char bracket);
    void Close(char bracket);
    void BeforeValue();
    void Quote(std::string_view utf8);

    std::string m_out;
    std::vector<bool> m_first; // per open object or array: nothing written in it yet
    bool m_afterKey = false;
};
