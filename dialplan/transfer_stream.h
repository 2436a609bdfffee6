#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vocara {

// The bytes of one save-to-server transfer as they arrive: "FILEWRITE:<path>;BEGIN", the
// file, then "FILEWRITE:<path>;FINISH". Takes any bytes in any pieces; never reads past what
// it holds and never throws for what a peer sends.
class TransferStream
{
public:
    // Longest announced path taken.
    static constexpr size_t MaxAnnouncedPath = 4096;

    explicit TransferStream(std::uintmax_t maxContent)
        : m_maxContent(maxContent)
    {}

    // Takes the next bytes; false once the stream can no longer be a transfer (a wrong
    // prefix, a path too long, a file larger than allowed).
    bool append(std::string_view bytes);

    bool refused() const { return m_refused; }
    bool headerComplete() const { return m_headerEnd != 0; }
    // The announced path, once the header is complete.
    std::string_view path() const;
    // True when everything so far forms a whole transfer: the header, then the file, then
    // the finish line. More bytes may still follow: the finish line may belong to the file.
    bool complete() const;
    // The file of a complete transfer.
    std::string_view content() const;

private:
    void parseHeader();

    std::uintmax_t m_maxContent;
    std::string m_data;
    std::string m_finish; // the finish line of the announced path
    size_t m_headerEnd = 0;
    bool m_refused = false;
};

} // namespace vocara
