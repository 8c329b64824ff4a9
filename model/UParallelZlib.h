// One zlib stream made by several threads, and one inflated ahead of its reader on a second thread.
//
// The compressor cuts the data into blocks of kBlockSize bytes. Each block is deflated (raw
// deflate at the level asked, 32 KiB window, memLevel 8: what deflateInit uses) on a worker, with
// the last 32 KiB of the block before it as preset dictionary, and ended on a byte boundary by a
// sync flush; the last block is finished instead. The blocks' deflate data are written in order
// between the two-byte zlib header that deflateInit writes for that level and the Adler-32 of the
// whole data, combined from the blocks' own. The result is one valid zlib stream (RFC 1950) that
// any inflater reads as before; its bytes depend on the data, the level and kBlockSize only, never
// on the number of threads or on timing. Data of one block or less gives exactly the bytes of a
// one-shot deflate.
#pragma once

#include "model/UByteStream.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace model {

class TInflateSource;

namespace zblock {
// Changing either changes the bytes every writer produces (not their meaning): keep them fixed.
inline constexpr std::size_t kBlockSize = 128 * 1024;
inline constexpr std::size_t kDictionary = 32 * 1024; // deflate's whole window
inline constexpr unsigned kMaxThreads = 8;
} // namespace zblock

// The workers a compressor uses when not told: the processors this process may run on, at most
// kMaxThreads (or what SetDeflateThreads set).
[[nodiscard]] unsigned DeflateThreads();
// Sets the default for every compressor made afterwards (tests, benchmarks); 0 restores the
// processor count. 1 compresses on the calling thread, with no worker at all.
void SetDeflateThreads(unsigned threads);

// The two bytes that open a zlib stream deflated at this level (0x78 0xDA for level 9).
[[nodiscard]] std::uint16_t ZlibHeader(int level);

class TParallelDeflate {
public:
    // Compresses into out (which must outlive this) at level 0..9 with up to threads workers
    // (0: DeflateThreads()). Workers start only as blocks wait for one, so that a short stream
    // never starts a thread; the whole stream fitting one block is compressed by Finish here.
    // Raises std::runtime_error when zlib refuses the level.
    TParallelDeflate(TByteSink& out, int level, unsigned threads = 0);
    // Stops the workers (each ends the block in hand) and joins them; what was not yet written
    // to out is dropped. Nothing is written to out here.
    ~TParallelDeflate();
    TParallelDeflate(const TParallelDeflate&) = delete;
    TParallelDeflate& operator=(const TParallelDeflate&) = delete;

    // Takes the bytes; whole blocks go to the workers, and compressed blocks are written to out
    // in order as they are ready. Memory stays bounded: once 2 blocks per worker are out, this
    // waits for the oldest (at most the time a worker takes for one block). Raises what out
    // raised, or what a worker raised on an earlier block; after any error every call raises.
    void Write(const void* data, std::size_t count);
    // Compresses the last block, writes every block left and the Adler-32, and stops the workers.
    // Nothing may be written afterwards.
    void Finish();

    // Bytes taken so far (before compression).
    [[nodiscard]] std::uint64_t BytesIn() const { return FBytesIn + FUsed; }
    // Worker threads started so far (none when everything ran on the calling thread).
    [[nodiscard]] unsigned WorkersStarted() const { return static_cast<unsigned>(FWorkers.size()); }

private:
    struct TJob;
    struct TStream;

    void Submit(bool last);
    void Compress(TJob& job, TStream& stream);
    void CompressHere(TJob& job);
    void WriteOut(TJob& job);
    bool WriteOldest(bool wait); // writes the oldest block if it is done (waiting for it when wait)
    void WriteReady(bool wait);  // writes the done blocks at the head (every block when wait)
    void StartWorker();
    void Work();
    void StopWorkers() noexcept;
    void Fail();
    void CheckUsable() const;
    std::unique_ptr<TJob> TakeJob();

    TByteSink& FOut;
    int FLevel;
    unsigned FThreads;
    std::size_t FMaxInFlight;

    // Calling thread only.
    std::unique_ptr<TJob> FCurrent; // the block being filled
    std::size_t FUsed = 0;
    std::uint64_t FBytesIn = 0; // of the blocks submitted
    std::vector<std::unique_ptr<TJob>> FSpare;
    std::unique_ptr<TStream> FHere; // deflate state for blocks compressed on this thread
    unsigned long FAdler = 1;
    bool FHeaderWritten = false;
    bool FFinished = false;
    bool FFailed = false;
    bool FAlone = false; // no worker could start: every block is compressed here

    // Shared with the workers, under FMutex.
    std::mutex FMutex;
    std::condition_variable FWork;               // workers wait for a block
    std::condition_variable FDone;               // the calling thread waits for the oldest block
    std::deque<std::unique_ptr<TJob>> FInFlight; // submitted, not yet written, in stream order
    std::deque<TJob*> FQueue;                    // submitted, not yet taken by a worker
    unsigned FIdle = 0;
    bool FStop = false;
    std::vector<std::thread> FWorkers;
};

// Inflates one zlib stream read from in on a worker thread, a few chunks ahead of the reader, so
// that the reader's decoding overlaps the inflating. It gives what TInflateSource gives and raises
// what it raises (TRecordError for a damaged stream, TRecordTruncated for one cut short), each
// only once every byte inflated before the fault has been read; bytes after the stream are not
// given. The first chunk is inflated on the calling thread, which would only wait for it anyway:
// the worker starts once the reader wants more, so that a stream of one chunk or less (a small
// file) costs no thread and no chunk buffers. From then until destruction only the worker reads
// in. Should no thread start, the calling thread inflates to the end.
class TInflateAheadSource : public TByteSource {
public:
    explicit TInflateAheadSource(TByteSource& in); // in must outlive this
    // Stops the worker (at the end of its chunk in hand) and joins it.
    ~TInflateAheadSource() override;
    TInflateAheadSource(const TInflateAheadSource&) = delete;
    TInflateAheadSource& operator=(const TInflateAheadSource&) = delete;
    std::size_t Read(void* buffer, std::size_t count) override;

    // Whether a worker thread was started (tests).
    [[nodiscard]] bool WorkerStarted() const { return FWorker.joinable(); }

    // A chunk of inflated bytes; this many are in flight at most (1 MiB in all).
    static constexpr std::size_t kChunkSize = 256 * 1024;
    static constexpr std::size_t kChunks = 4;

private:
    struct TChunk {
        std::unique_ptr<unsigned char[]> data;
        std::size_t length = 0;
    };
    std::size_t ReadHere(unsigned char* out, std::size_t count);
    void Work(TByteSource& inflater);

    std::mutex FMutex;
    std::condition_variable FChanged;
    std::deque<TChunk> FFull; // inflated, in order
    std::vector<TChunk> FFree;
    bool FEnded = false; // the worker has handed over its last chunk
    bool FStop = false;
    std::exception_ptr FError; // the worker's; before it starts, the calling thread's own

    TChunk FReading; // reader side: the chunk being read
    std::size_t FPos = 0;
    // The calling thread's inflater until the worker takes it over.
    std::unique_ptr<TInflateSource> FHere;
    std::size_t FGivenHere = 0; // bytes FHere gave on the calling thread
    bool FAlone = false;        // no worker could start: FHere inflates to the end
    std::thread FWorker;
};

} // namespace model
