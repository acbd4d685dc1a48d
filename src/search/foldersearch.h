// Find in Files over a folder: the walker's files read and searched one after another, open
// scripts searched in the texts given for them instead of their files, files that look binary
// skipped. Plain data in and out, for a worker thread.
#pragma once

#include "editor/textsearch.h"
#include "search/filewalker.h"
#include "search/linematcher.h"

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct FolderSearchRequest {
    std::string folder;                // in the file system's encoding
    std::vector<std::string> patterns; // of file names; none: every file
    std::string needle;
    SearchOptions options;
    // The texts of scripts open in the editor, unsaved changes included, by the file they show.
    std::map<FileIdentity, std::string> openTexts;
    std::size_t mostMatchesPerFile = 100000;
    bool hiddenFolders = false;               // also search folders whose names start with "."
    std::vector<std::string> excludedFolders; // never searched (the program's own state)
};

struct FileMatches {
    std::string path;
    bool fromEditor = false; // searched in the editor's text
    std::vector<LineMatch> matches;
    bool cut = false; // more matches than mostMatchesPerFile: only the first are given
};

struct FolderSearchSummary {
    std::size_t filesSearched = 0;
    std::size_t filesWithMatches = 0;
    std::size_t matches = 0;
    std::size_t binary = 0;
    std::size_t tooLarge = 0;
    std::size_t unreadable = 0;
    std::size_t loops = 0;
    std::size_t hiddenFolders = 0;
    std::size_t filesCut = 0; // files with more matches than were given
    bool folderUnreadable = false;
    bool stopped = false;

    std::size_t Skipped() const { return binary + tooLarge + unreadable + loops; }
};

// Searches every fitting file of the folder in path order, calling onFile for each file with
// matches. stop ends the search between files (and between the pieces of a large one);
// filesSearched counts on as it goes, for a progress display.
FolderSearchSummary SearchFolder(const FolderSearchRequest &request, const std::function<void(FileMatches &&)> &onFile,
                                 const std::atomic<bool> &stop, std::atomic<std::size_t> *filesSearched = nullptr);
