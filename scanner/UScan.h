// The scanning and writing of txscan: each target is walked with the file-system enumeration and
// its records are streamed straight into one exploration file while it walks. No item tree is
// built: memory stays flat whatever the size of the tree (the walk's own bounded state, the
// codec's two 64 KiB buffers and the zlib state).
#pragma once

#include "scanner/UMain.h"

#include <string>
#include <vector>

namespace model {
class TRecordWriter;
}

namespace scanner {

// Where SaveScans puts the file.
struct TOutput {
    std::string name; // the name chosen at the start, which the messages use until the file is in place
    // -1: name is replaced when it exists ("/o"). Else name is NumberedName(numbered, number), and
    // the complete file takes the first of it and the numbers after it that no entry has then.
    int number = -1;
    std::string numbered{}; // the "/n" name the numbers are made from
};

// Writes every target, in list order, into the output file; prints one result line (naming the
// file by the name it got); true when the file was written. The file is written unnamed (or under
// a hidden temporary name) in its folder and gets its name only when complete; a failure or an
// interruption removes it and leaves every existing file as it was.
bool SaveScans(const std::vector<TTarget>& targets, const TOutput& output, TConsole& console);

// The record writers. Each prints its progress or skip line; a write error raises.
// The root record: its head, every target in list order, its end.
void WriteRoot(model::TRecordWriter& out, const std::vector<TTarget>& targets, TConsole& console);
// A drive target (a mount point): checked again, then its drive record and its walk.
void ScanDrive(model::TRecordWriter& out, const TTarget& target, TConsole& console);
// A folder target: checked again, then its path record and its walk.
void ScanPath(model::TRecordWriter& out, const TTarget& target, TConsole& console);
// The children of the folder at path and the end byte that closes its record (depth-first, in
// the order the file system gives the entries).
void ScanFolder(model::TRecordWriter& out, const std::string& path);

} // namespace scanner
