// SPDX-License-Identifier: GPL-3.0-or-later
#include "fastpng.h"

#include <QImage>

#include <zlib.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

void putU32(QByteArray& out, quint32 v)
{
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(bytes, 4);
}

void putChunk(QByteArray& png, const char* type, const QByteArray& data)
{
    putU32(png, static_cast<quint32>(data.size()));
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(data);
    const auto* typed = reinterpret_cast<const Bytef*>(png.constData() + start);
    putU32(png, static_cast<quint32>(crc32(0, typed, static_cast<uInt>(png.size() - start))));
}

// Every row, each behind its filter byte (0, none), as one zlib stream.
bool deflateRows(const QImage& image, QByteArray& out)
{
    z_stream z{};
    // Level 1 with runs only: white stretches and flat strokes are all there is.
    if (deflateInit2(&z, 1, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK)
        return false;
    const int rowBytes = image.width() * 3;
    std::vector<Bytef> row(static_cast<std::size_t>(rowBytes) + 1, 0);
    std::array<Bytef, 1 << 16> buffer;
    int result = Z_OK;
    for (int y = 0; y < image.height() && result != Z_STREAM_ERROR; ++y) {
        std::memcpy(row.data() + 1, image.constScanLine(y), static_cast<std::size_t>(rowBytes));
        z.next_in = row.data();
        z.avail_in = static_cast<uInt>(row.size());
        const int flush = y + 1 == image.height() ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = buffer.data();
            z.avail_out = static_cast<uInt>(buffer.size());
            result = deflate(&z, flush);
            out.append(reinterpret_cast<const char*>(buffer.data()),
                       static_cast<qsizetype>(buffer.size() - z.avail_out));
        } while (z.avail_out == 0 && result != Z_STREAM_ERROR);
    }
    deflateEnd(&z);
    return result == Z_STREAM_END;
}

} // namespace

QByteArray encodeFastPng(const QImage& image)
{
    if (image.isNull() || image.format() != QImage::Format_RGB888)
        return {};
    QByteArray pixels;
    if (!deflateRows(image, pixels))
        return {};

    QByteArray header;
    putU32(header, static_cast<quint32>(image.width()));
    putU32(header, static_cast<quint32>(image.height()));
    header.append("\x08\x02\x00\x00\x00", 5); // 8 bits per sample, RGB, deflate, no filter, not interlaced
    QByteArray resolution;
    putU32(resolution, static_cast<quint32>(image.dotsPerMeterX()));
    putU32(resolution, static_cast<quint32>(image.dotsPerMeterY()));
    resolution.append('\x01'); // per metre

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png.reserve(pixels.size() + 128);
    putChunk(png, "IHDR", header);
    putChunk(png, "pHYs", resolution);
    putChunk(png, "IDAT", pixels);
    putChunk(png, "IEND", {});
    return png;
}
