// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Tiny picture files whose headers declare far more than they hold, built byte by byte, and a
// FIFO that never leaves a test waiting.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace zephyl::test {

using Bytes = std::vector<std::uint8_t>;

inline void PutLe16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8 & 0xFF));
}

inline void PutBe16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8 & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

inline void PutBe32(Bytes& out, std::uint32_t value) {
    PutBe16(out, value >> 16);
    PutBe16(out, value & 0xFFFF);
}

/// A GIF with a black and white palette: a `width` × `height` canvas and `frames` frames of
/// `frameWidth` × `frameHeight` (the canvas when 0), each holding a single white pixel of LZW
/// data whatever size it declares; `delayCs` in 1/100 s.
inline Bytes DeclaringGif(unsigned width, unsigned height, int frames = 1, unsigned frameWidth = 0,
                          unsigned frameHeight = 0, unsigned delayCs = 10) {
    Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
    PutLe16(out, width);
    PutLe16(out, height);
    out.insert(out.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});
    for (int i = 0; i < frames; ++i) {
        out.insert(out.end(), {0x21, 0xF9, 4, 0});
        PutLe16(out, delayCs);
        out.insert(out.end(), {0, 0, 0x2C, 0, 0, 0, 0});
        PutLe16(out, frameWidth ? frameWidth : width);
        PutLe16(out, frameHeight ? frameHeight : height);
        // No local palette; minimum code size 2: clear, index 1, end in 3-bit codes.
        out.insert(out.end(), {0, 2, 2, 0x4C, 0x01, 0});
    }
    out.push_back(0x3B);
    return out;
}

inline std::uint32_t Crc32(const Bytes& bytes, std::size_t from) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        }
    }
    return ~crc;
}

inline void PutPngChunk(Bytes& out, const char* kind, const Bytes& data) {
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), kind, kind + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out, start));
}

/// An RGBA PNG header declaring `width` × `height`, followed by an image-data chunk holding a
/// single zero row and the end chunk.
inline Bytes DeclaringPng(std::uint32_t width, std::uint32_t height) {
    Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    PutBe32(header, width);
    PutBe32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    PutPngChunk(out, "IHDR", header);
    // zlib stream of one stored block of 5 zero bytes (filter byte and one pixel).
    PutPngChunk(out, "IDAT",
                {0x78, 0x01, 0x01, 0x05, 0x00, 0xFA, 0xFF, 0, 0, 0, 0, 0, 0x00, 0x05, 0x00, 0x01});
    PutPngChunk(out, "IEND", {});
    return out;
}

inline void PutJpegSegment(Bytes& out, std::uint8_t marker, const Bytes& data) {
    out.insert(out.end(), {0xFF, marker});
    PutBe16(out, static_cast<unsigned>(data.size() + 2));
    out.insert(out.end(), data.begin(), data.end());
}

/// A JPEG of `components` components (progressive or baseline) declaring `width` × `height`,
/// with `scans` scans of 64 zero bytes each.
inline Bytes DeclaringJpeg(unsigned width, unsigned height, bool progressive = true, int scans = 1,
                           int components = 1) {
    Bytes out = {0xFF, 0xD8};
    Bytes table = {0};
    table.insert(table.end(), 64, 1);
    PutJpegSegment(out, 0xDB, table);
    Bytes frame = {8};
    PutBe16(frame, height);
    PutBe16(frame, width);
    frame.push_back(static_cast<std::uint8_t>(components));
    for (int c = 1; c <= components; ++c) {
        frame.insert(frame.end(), {static_cast<std::uint8_t>(c), 0x11, 0});
    }
    PutJpegSegment(out, progressive ? 0xC2 : 0xC0, frame);
    // DC table 0: one code of length 1, for difference category 0.
    Bytes huffman = {0x00, 1};
    huffman.insert(huffman.end(), 15, 0);
    huffman.push_back(0);
    PutJpegSegment(out, 0xC4, huffman);
    for (int i = 0; i < scans; ++i) {
        PutJpegSegment(out, 0xDA,
                       {1, 1, 0x00, 0, static_cast<std::uint8_t>(progressive ? 0 : 63), 0});
        out.insert(out.end(), 64, 0);
    }
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

/// A 24-bit BMP header declaring `width` × `height` with no pixels after it.
inline Bytes DeclaringBmp(std::uint32_t width, std::uint32_t height) {
    Bytes out = {'B', 'M'};
    const auto le32 = [&out](std::uint32_t value) {
        PutLe16(out, value & 0xFFFF);
        PutLe16(out, value >> 16);
    };
    le32(54);
    le32(0);
    le32(54);
    le32(40);
    le32(width);
    le32(height);
    PutLe16(out, 1);
    PutLe16(out, 24);
    for (int i = 0; i < 6; ++i) {
        le32(0);
    }
    return out;
}

/// A FIFO at `path`. A reader that opens it and waits for a writer is let go within a moment
/// (opened for writing and closed, so it reads an empty file): a program that wrongly waits on
/// a FIFO makes its test fail instead of hang.
class TestFifo {
public:
    explicit TestFifo(std::string path) : m_path(std::move(path)) {
        mkfifo(m_path.c_str(), 0600);
        m_thread = std::thread([this] {
            while (!m_stop) {
                const int fd = open(m_path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    }
    ~TestFifo() {
        m_stop = true;
        m_thread.join();
        unlink(m_path.c_str());
    }
    TestFifo(const TestFifo&) = delete;
    TestFifo& operator=(const TestFifo&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace zephyl::test
