// Expected-output files: tests/data/FOLDER/NAME.lua beside NAME.lua.SUFFIX, which holds what a
// test makes of the script. A mismatch writes NAME.lua.SUFFIX.new for review.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::string ReadFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The scripts of a folder of tests/data, in name order.
inline std::vector<std::filesystem::path> SampleScripts(const std::string &folder)
{
    std::vector<std::filesystem::path> samples;
    for (const auto &entry : std::filesystem::directory_iterator(std::string(SCRIBA_TEST_DATA "/") + folder))
        if (entry.path().extension() == ".lua")
            samples.push_back(entry.path());
    std::sort(samples.begin(), samples.end());
    return samples;
}

inline void ExpectSameAsFile(const std::filesystem::path &sample, const std::string &suffix, const std::string &actual)
{
    std::filesystem::path expectedPath = sample;
    expectedPath += suffix;
    std::filesystem::path newPath = expectedPath;
    newPath += ".new";
    if (actual == ReadFile(expectedPath)) {
        std::filesystem::remove(newPath);
    } else {
        std::ofstream(newPath, std::ios::binary) << actual;
        ADD_FAILURE() << sample.filename() << " differs from its " << suffix << " file; see " << newPath;
    }
}
