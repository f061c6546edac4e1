#include "pictures/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include <jerror.h>

#include "pictures/LoadLimits.h"
#include "pictures/PictureError.h"
#include "pictures/RasterGraphic.h"

namespace cinevan::pictures {

namespace {

// Pictures up to this size are accepted from any file size.
constexpr std::int64_t kAlwaysPlausiblePixels = 1024 * 1024;
// Beyond it, a file must hold at least one byte per this many pixels. Encoders reach about
// 256 pixels per byte on a single-colour picture; the margin is generous.
constexpr std::int64_t kMaxPixelsPerByte = 2048;
constexpr int kMaxScans = 1000;
constexpr int kMaxShownScans = 8;
constexpr long kMaxLibraryMemory = 768L * 1024 * 1024;
constexpr int kProgressSteps = 16;

// libjpeg's error manager extended by the jump target of the guarded step in progress.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool truncated;
};

[[noreturn]] void errorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void emitMessage(j_common_ptr info, int level) {
    if (level < 0) {
        auto* errors = reinterpret_cast<ErrorManager*>(info->err);
        errors->truncated = errors->truncated || errors->pub.msg_code == JWRN_JPEG_EOF;
        ++errors->pub.num_warnings;
    }
}

void outputMessage(j_common_ptr) {}

using Step = void (*)(j_decompress_ptr, void*);

// Runs one libjpeg step and returns false when libjpeg gave up. Nothing in this frame or in
// the steps has a destructor, so the jump back from errorExit skips no C++ clean-up.
bool runGuarded(j_decompress_ptr info, Step step, void* argument) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    if (setjmp(errors->jump) != 0) {
        return false;
    }
    step(info, argument);
    return true;
}

struct RowRequest {
    JSAMPROW row;
    JDIMENSION read;
};

struct IntResult {
    int value;
};

[[noreturn]] void raiseInvalid() {
    throw PictureError(QStringLiteral("JPEG image is not valid"));
}

// Owns libjpeg's decompression object.
class Decompressor {
public:
    Decompressor() {
        info_.err = jpeg_std_error(&errors_.pub);
        errors_.pub.error_exit = errorExit;
        errors_.pub.emit_message = emitMessage;
        errors_.pub.output_message = outputMessage;
        errors_.truncated = false;
        created_ = runGuarded(
            &info_, [](j_decompress_ptr info, void*) { jpeg_create_decompress(info); }, nullptr);
        if (!created_) {
            raiseInvalid();
        }
    }
    ~Decompressor() { jpeg_destroy_decompress(&info_); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct* info() { return &info_; }
    const jpeg_decompress_struct* info() const { return &info_; }
    bool truncated() const { return errors_.truncated; }

    // Runs a step and raises when libjpeg failed in it.
    void run(Step step, void* argument = nullptr) {
        if (!runGuarded(&info_, step, argument)) {
            raiseInvalid();
        }
    }

private:
    jpeg_decompress_struct info_{};
    ErrorManager errors_{};
    bool created_ = false;
};

bool isCmyk(const jpeg_decompress_struct& info) {
    return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

void convertCmykRow(const JSAMPLE* cmyk, QRgb* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x, cmyk += 4) {
        // Adobe's writers store inverted values: 255 means no ink.
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

// Decodes JPEG data in one or more output passes into a graphic's image.
class JpegReader {
public:
    JpegReader(QByteArrayView data, RasterGraphic& target) : data_(data), target_(target) {}

    void read() {
        readHeader();
        checkSize();
        startDecompress();
        target_.reportProgress({ProgressStage::Starting, 0, false, QRect(), QString()});
        if (jpeg_.info()->buffered_image) {
            readScans();
        } else {
            readPass(true);
        }
        jpeg_.run([](j_decompress_ptr info, void*) { jpeg_finish_decompress(info); });
        if (jpeg_.truncated()) {
            raiseInvalid();
        }
        target_.reportProgress(
            {ProgressStage::Ending, 100, true, target_.image().rect(), QString()});
    }

private:
    void readHeader() {
        if (data_.isEmpty()) {
            raiseInvalid();
        }
        struct Source {
            const unsigned char* bytes;
            unsigned long size;
        } source{reinterpret_cast<const unsigned char*>(data_.data()),
                 static_cast<unsigned long>(data_.size())};
        jpeg_.run(
            [](j_decompress_ptr info, void* argument) {
                auto* s = static_cast<Source*>(argument);
                jpeg_mem_src(info, s->bytes, s->size);
            },
            &source);
        IntResult result{};
        jpeg_.run(
            [](j_decompress_ptr info, void* argument) {
                static_cast<IntResult*>(argument)->value = jpeg_read_header(info, TRUE);
            },
            &result);
        if (result.value != JPEG_HEADER_OK) {
            raiseInvalid();
        }
    }

    void checkSize() const {
        const auto* info = jpeg_.info();
        const std::int64_t pixels = std::int64_t(info->image_width) * info->image_height;
        if (!isSaneSize(info->image_width, info->image_height) ||
            (pixels > kAlwaysPlausiblePixels && pixels / kMaxPixelsPerByte > data_.size())) {
            throw PictureError(QStringLiteral("JPEG image is too large"));
        }
    }

    void startDecompress() {
        auto* info = jpeg_.info();
        info->mem->max_memory_to_use = kMaxLibraryMemory;
        if (isCmyk(*info)) {
            info->out_color_space = JCS_CMYK;
        } else {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
            info->out_color_space = JCS_EXT_BGRA;
#else
            info->out_color_space = JCS_EXT_ARGB;
#endif
        }
        jpeg_.run(
            [](j_decompress_ptr i, void*) { i->buffered_image = jpeg_has_multiple_scans(i); });
        jpeg_.run([](j_decompress_ptr i, void*) { jpeg_start_decompress(i); });
        QImage image(int(info->output_width), int(info->output_height), QImage::Format_RGB32);
        if (image.isNull()) {
            throw PictureError(QStringLiteral("JPEG image is too large"));
        }
        image.fill(Qt::white);
        target_.mutableImage() = std::move(image);
        if (isCmyk(*info)) {
            cmykRow_.resize(std::size_t(info->output_width) * 4);
        }
    }

    int percentConsumed() {
        const auto* src = jpeg_.info()->src;
        const auto used = data_.size() - qsizetype(src->bytes_in_buffer);
        return int(std::min<qsizetype>(99, used * 100 / data_.size()));
    }

    bool inputComplete() {
        IntResult result{};
        jpeg_.run(
            [](j_decompress_ptr info, void* argument) {
                static_cast<IntResult*>(argument)->value = jpeg_input_complete(info);
            },
            &result);
        return result.value != 0;
    }

    // Progressive files: shows the first scans as they arrive, then the complete picture.
    void readScans() {
        int shown = 0;
        bool finalShown = false;
        while (!inputComplete() && shown < kMaxShownScans) {
            startOutput();
            readPass(false);
            finishOutput();
            ++shown;
            const auto* info = jpeg_.info();
            finalShown = info->output_scan_number == info->input_scan_number && inputComplete();
            target_.reportProgress({ProgressStage::Running, percentConsumed(), true,
                                    target_.image().rect(), QString()});
        }
        if (!finalShown) {
            consumeRest();
            startOutput();
            readPass(false);
            finishOutput();
        }
    }

    void consumeRest() {
        int scans = 0;
        for (;;) {
            IntResult result{};
            jpeg_.run(
                [](j_decompress_ptr info, void* argument) {
                    static_cast<IntResult*>(argument)->value = jpeg_consume_input(info);
                },
                &result);
            if (result.value == JPEG_REACHED_EOI || result.value == JPEG_SUSPENDED) {
                return;
            }
            if (result.value == JPEG_REACHED_SOS && ++scans > kMaxScans) {
                raiseInvalid();
            }
        }
    }

    void startOutput() {
        jpeg_.run([](j_decompress_ptr i, void*) { jpeg_start_output(i, i->input_scan_number); });
    }

    void finishOutput() {
        jpeg_.run([](j_decompress_ptr i, void*) { jpeg_finish_output(i); });
    }

    void readPass(bool reportRows) {
        auto* info = jpeg_.info();
        QImage& image = target_.mutableImage();
        const int height = image.height();
        const int step = std::max(1, height / kProgressSteps);
        int reportedUpTo = 0;
        while (info->output_scanline < info->output_height) {
            const int y = int(info->output_scanline);
            readRow(image, y);
            const int done = int(info->output_scanline);
            if (reportRows && (done - reportedUpTo >= step || done == height)) {
                target_.imageChanged();
                target_.reportProgress({ProgressStage::Running, done * 100 / height, true,
                                        QRect(0, reportedUpTo, image.width(), done - reportedUpTo),
                                        QString()});
                reportedUpTo = done;
            }
        }
        target_.imageChanged();
    }

    void readRow(QImage& image, int y) {
        const bool cmyk = !cmykRow_.empty();
        RowRequest request{cmyk ? cmykRow_.data() : image.scanLine(y), 0};
        jpeg_.run(
            [](j_decompress_ptr info, void* argument) {
                auto* r = static_cast<RowRequest*>(argument);
                r->read = jpeg_read_scanlines(info, &r->row, 1);
            },
            &request);
        if (request.read != 1) {
            raiseInvalid();
        }
        if (cmyk) {
            convertCmykRow(cmykRow_.data(), reinterpret_cast<QRgb*>(image.scanLine(y)),
                           image.width(), jpeg_.info()->saw_Adobe_marker);
        }
    }

    QByteArrayView data_;
    RasterGraphic& target_;
    Decompressor jpeg_;
    std::vector<JSAMPLE> cmykRow_;
};

}  // namespace

void decodeJpeg(QByteArrayView data, RasterGraphic& target) {
    JpegReader(data, target).read();
}

}  // namespace cinevan::pictures
