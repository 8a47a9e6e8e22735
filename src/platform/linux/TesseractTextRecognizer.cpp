#include "platform/linux/TesseractTextRecognizer.h"

#include "platform/FutureAwaiter.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QtConcurrent>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <omp.h>

#include <atomic>
#include <mutex>

struct TesseractTextRecognizer::Engine {
    std::mutex mutex;
    std::unique_ptr<tesseract::TessBaseAPI> api;
    bool initialised = false;
    bool failed = false;

    // Loads the language data once, on first use (about 80 ms).
    tesseract::TessBaseAPI *ready()
    {
        if (initialised)
            return failed ? nullptr : api.get();
        initialised = true;
        api = std::make_unique<tesseract::TessBaseAPI>();
        // Polish is optional; English must be there.
        if (api->Init(nullptr, "eng+pol", tesseract::OEM_LSTM_ONLY) != 0
            && api->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0) {
            qWarning("tavlen: text recognition is off: Tesseract's English data (tesseract-ocr-eng) is missing.");
            failed = true;
            return nullptr;
        }
        api->SetPageSegMode(tesseract::PSM_AUTO);
        return api.get();
    }

    ~Engine()
    {
        if (api)
            api->End();
    }
};

namespace {

bool cancelRequested(void *stop, int)
{
    return static_cast<const TesseractTextRecognizer::StopFlags *>(stop)->raised();
}

// Decodes the bytes into an opaque RGB image (transparency over white, as on a light page).
QImage decode(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > TesseractTextRecognizer::maximumPixelCount)
        return {};
    QImage image = reader.read();
    if (image.isNull() || qint64(image.width()) * image.height() > TesseractTextRecognizer::maximumPixelCount)
        return {};
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB888);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        return flat;
    }
    // Tesseract reads 3 bytes a pixel in RGB order; RGB32 would be read as BGRA.
    return image.convertToFormat(QImage::Format_RGB888);
}

} // namespace

TesseractTextRecognizer::TesseractTextRecognizer(QObject *parent)
    : TextRecognizer(parent)
    , m_engine(makeEngine())
    , m_shuttingDown(std::make_shared<std::atomic_bool>(false))
{
    m_worker.setMaxThreadCount(1);
    m_worker.setObjectName(QStringLiteral("text recognition"));
}

TesseractTextRecognizer::~TesseractTextRecognizer()
{
    m_shuttingDown->store(true);
    m_worker.waitForDone();
}

std::shared_ptr<TesseractTextRecognizer::Engine> TesseractTextRecognizer::makeEngine()
{
    return std::make_shared<Engine>();
}

std::optional<ImageObservations> TesseractTextRecognizer::recognizeNow(Engine &engine, const QByteArray &imageData,
                                                                       StopFlags stop)
{
    const QImage image = decode(imageData);
    if (image.isNull())
        return std::nullopt;

    std::lock_guard lock(engine.mutex);
    // Tesseract's OpenMP threads spin against every other busy core: one line took 8.7 s instead of 30 ms on a
    // loaded machine. No active parallel level keeps all of it on this thread (as OMP_THREAD_LIMIT=1 would,
    // which cannot be set once the library is loaded).
    omp_set_max_active_levels(0);
    tesseract::TessBaseAPI *api = engine.ready();
    if (!api)
        return std::nullopt;
    api->SetImage(image.constBits(), image.width(), image.height(), 3, int(image.bytesPerLine()));
    api->SetSourceResolution(96);

    tesseract::ETEXT_DESC monitor;
    monitor.cancel = &cancelRequested;
    monitor.cancel_this = &stop;
    monitor.set_deadline_msecs(recognitionDeadlineMs);
    if (api->Recognize(&monitor) != 0) {
        api->Clear();
        return std::nullopt;
    }
    if (stop.raised()) {
        api->Clear();
        return std::nullopt;
    }

    ImageObservations observations;
    std::unique_ptr<tesseract::ResultIterator> line(api->GetIterator());
    if (line) {
        do {
            std::unique_ptr<char[]> text(line->GetUTF8Text(tesseract::RIL_TEXTLINE));
            const QString candidate = text ? QString::fromUtf8(text.get()).trimmed() : QString();
            if (candidate.isEmpty())
                observations.textLines.append(std::nullopt);
            else
                observations.textLines.append(candidate);
        } while (line->Next(tesseract::RIL_TEXTLINE));
    }
    api->Clear();
    return observations;
}

Task<std::optional<ImageObservations>> TesseractTextRecognizer::recognize(QByteArray imageData)
{
    // Each image has its own stop flag: cancelling one call leaves the next one alone.
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    auto engine = m_engine;
    auto shuttingDown = m_shuttingDown;
    QFuture<std::optional<ImageObservations>> future
        = QtConcurrent::run(&m_worker, [engine, imageData, cancelled, shuttingDown]() -> std::optional<ImageObservations> {
              // A shutdown stops the image in progress as well.
              const StopFlags stop{cancelled.get(), shuttingDown.get()};
              if (stop.raised())
                  return std::nullopt;
              return recognizeNow(*engine, imageData, stop);
          });
    const std::optional<std::optional<ImageObservations>> result = co_await awaitFuture(future);
    if (!result) {
        cancelled->store(true);
        co_return std::nullopt;
    }
    co_return *result;
}
