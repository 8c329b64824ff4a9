#include "FuzzReader.h"

#include "model/URecordCodec.h"
#include "viewer/UItem.h"

#include <sys/mman.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace fuzzreader {

namespace {
void Put32(std::vector<unsigned char>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(v >> (8 * i));
}
} // namespace

std::vector<unsigned char> FileOf(const std::uint8_t* data, std::size_t size, TMode mode) {
    if (mode == TMode::Raw) return {data, data + size};
    namespace txf = model::txf;
    const std::uint8_t choice = size > 0 ? data[0] : 0;
    const std::uint32_t version = 1 + choice % 5;
    const bool compressed = (choice & 0x80) == 0;
    const unsigned char* body = size > 0 ? data + 1 : data;
    const std::size_t bodySize = size > 0 ? size - 1 : 0;

    std::vector<unsigned char> file(txf::kHeaderSize, 0);
    Put32(file, 0, txf::kMagic1);
    Put32(file, 4, txf::kMagic2);
    Put32(file, txf::kOffsetWriterVersion, txf::kWriterViewer);
    Put32(file, txf::kOffsetLayoutMarker, 12850);
    Put32(file, txf::kOffsetCompression, compressed ? txf::kCompressionZlib : 0);
    Put32(file, txf::kOffsetMajorVersion, txf::kMajorVersion);
    Put32(file, txf::kOffsetFormatVersion, version);
    if (compressed) {
        uLongf n = compressBound(static_cast<uLong>(bodySize));
        file.resize(txf::kHeaderSize + n);
        if (compress2(file.data() + txf::kHeaderSize, &n, body, static_cast<uLong>(bodySize), 1) != Z_OK)
            throw std::runtime_error("zlib");
        file.resize(txf::kHeaderSize + n);
    } else {
        file.insert(file.end(), body, body + bodySize);
    }
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, file.data() + txf::kHeaderSize, static_cast<uInt>(file.size() - txf::kHeaderSize)));
    Put32(file, version == 5 ? txf::kOffsetCrc : txf::kOffsetCrcOld, crc);
    return file;
}

std::int32_t ReadInput(const std::uint8_t* data, std::size_t size, TMode mode, std::uint64_t budget) {
    const std::vector<unsigned char> bytes = FileOf(data, size, mode);
    // A file in memory that the reader opens by name like any other.
    const int fd = memfd_create("fuzz.txf", MFD_CLOEXEC);
    if (fd < 0) throw std::runtime_error("memfd_create");
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            close(fd);
            throw std::runtime_error("write");
        }
        done += static_cast<std::size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    viewer::TRootItem root;
    std::int32_t code;
    {
        viewer::TFileRootItem item(path, &root);
        item.SetMemoryBudget(budget);
        code = item.LoadFromFile();
        if (code == viewer::kLoadOk) {
            // What the viewer does with a loaded file: totals over the whole tree, then a save.
            item.ComputeTotals();
            (void)item.GetMarkedFileCount();
            (void)item.GetModified();
            item.SetMarked(true);
            model::TRecordWriter counter;
            item.SaveToStream(counter);
        }
    }
    close(fd);
    if (code > 0 || code < viewer::kLoadUnsupportedWriter) std::abort(); // no such result code
    return code;
}

} // namespace fuzzreader
