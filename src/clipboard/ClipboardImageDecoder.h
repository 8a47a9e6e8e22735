#pragma once
// Decodes the image bytes of an item at most at a given size, with the image's orientation applied. An
// image far larger than that is only decoded when its format can scale while it decodes, so no decode ever
// holds the pixels of a huge image. Safe on any thread.

#include <QByteArray>
#include <QImage>
#include <QSize>

class ClipboardImageDecoder {
public:
    enum class Problem {
        none,
        // No bytes at all.
        empty,
        // The bytes are not an image Tavlen can read, or reading them failed.
        undecodable,
        // Too many pixels to decode in full, in a format that cannot scale while decoding.
        tooLarge,
    };

    struct Result {
        // Null unless problem is none.
        QImage image;
        // The image's own size in pixels (oriented), when the header could be read.
        QSize fullSize;
        Problem problem = Problem::none;
    };

    // Beyond this many pixels (Qt's own limit of 128 MB per decoded image) only formats that scale while
    // decoding are decoded.
    static constexpr qint64 maximumFullDecodePixels = 32'000'000;

    // The image scaled down to fit `maximumSide` pixels on its longer side (never scaled up).
    static Result decode(const QByteArray &data, int maximumSide);
};
