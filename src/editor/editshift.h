// Positions of a text edited since it was read, carried between the text as it was read and
// as it is now: what was worked out from the old text (a script model built on a copy) stays
// usable while the user types on, until it is worked out again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class EditShift {
public:
    // Each edit as it is announced, in the coordinates of the text just before it.
    void Insert(std::int64_t position, std::int64_t length);
    void Delete(std::int64_t position, std::int64_t length);
    void Clear() { m_edits.clear(); }
    std::size_t Count() const { return m_edits.size(); }

    // A position of the text now in the text as read; one inside inserted text goes to where
    // the text was inserted.
    std::int64_t ToOld(std::int64_t now) const;
    // A position of the text as read in the text now, or -1 when the edits deleted its byte.
    std::int64_t ToNew(std::int64_t old) const;
    // The start of [start, start + length) of the text as read, in the text now; -1 when an
    // edit touched the range (a name then is another name, or none).
    std::int64_t RangeToNew(std::int64_t start, std::int64_t length) const;

private:
    struct Edit {
        std::int64_t position;
        std::int64_t length; // negative: deleted
    };
    std::vector<Edit> m_edits;
};
