#pragma once

#include <string>
#include <string_view>

namespace kavrin {

// The record properties written in front of a generated recording.
struct RecordingHeaderFields {
    std::string recordTime; // "dd MMM yyyy hh:mm:ss"
    std::string author;
    std::string title;
    std::string description;
};

// The seven header lines of a data file, as Latin-1 bytes. Texts are given in UTF-8;
// characters Latin-1 cannot hold become "?", and line breaks of the description "\n".
std::string recordingHeader(const RecordingHeaderFields& fields);

// "dd MMM yyyy hh:mm:ss" with English month abbreviations; month is 1..12.
std::string recordTimeText(int year, int month, int day, int hour, int minute, int second);

std::string utf8ToLatin1(std::string_view utf8);

} // namespace kavrin
