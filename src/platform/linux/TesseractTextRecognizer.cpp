#include "platform/linux/TesseractTextRecognizer.h"

#include "platform/FutureAwaiter.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QtConcurrent>

// Declarations only: the library itself is loaded when the first image is read.
#include <tesseract/capi.h>

#include <dlfcn.h>
#include <omp.h>

#include <atomic>
#include <mutex>

namespace {

// Tesseract's C interface, from the library loaded on first use: Tesseract and the fifty libraries it
// brings (image codecs, curl, TLS) cost every start of the program some 25 ms, and most runs read no image.
struct TesseractLibrary {
    decltype(&TessBaseAPICreate) create = nullptr;
    decltype(&TessBaseAPIDelete) destroy = nullptr;
    decltype(&TessBaseAPIInit2) init = nullptr;
    decltype(&TessBaseAPIEnd) end = nullptr;
    decltype(&TessBaseAPISetPageSegMode) setPageSegMode = nullptr;
    decltype(&TessBaseAPISetImage) setImage = nullptr;
    decltype(&TessBaseAPISetSourceResolution) setSourceResolution = nullptr;
    decltype(&TessBaseAPIRecognize) recognize = nullptr;
    decltype(&TessBaseAPIClear) clear = nullptr;
    decltype(&TessBaseAPIGetIterator) iterator = nullptr;
    decltype(&TessResultIteratorGetUTF8Text) lineText = nullptr;
    decltype(&TessResultIteratorNext) next = nullptr;
    decltype(&TessResultIteratorDelete) deleteIterator = nullptr;
    decltype(&TessDeleteText) deleteText = nullptr;
    decltype(&TessMonitorCreate) createMonitor = nullptr;
    decltype(&TessMonitorDelete) deleteMonitor = nullptr;
    decltype(&TessMonitorSetCancelFunc) setCancelFunction = nullptr;
    decltype(&TessMonitorSetCancelThis) setCancelThis = nullptr;
    decltype(&TessMonitorSetDeadlineMSecs) setDeadline = nullptr;

    // The loaded library, or null (said once) when it is not installed.
    static const TesseractLibrary *get()
    {
        static const std::optional<TesseractLibrary> library = load();
        return library ? &*library : nullptr;
    }

private:
    static std::optional<TesseractLibrary> load()
    {
        // Stays loaded for the rest of the run.
        void *file = ::dlopen("libtesseract.so.5", RTLD_NOW | RTLD_LOCAL);
        TesseractLibrary l;
        bool complete = file != nullptr;
        const auto resolve = [&](auto &function, const char *name) {
            function = complete ? reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(file, name)) : nullptr;
            complete = complete && function;
        };
        resolve(l.create, "TessBaseAPICreate");
        resolve(l.destroy, "TessBaseAPIDelete");
        resolve(l.init, "TessBaseAPIInit2");
        resolve(l.end, "TessBaseAPIEnd");
        resolve(l.setPageSegMode, "TessBaseAPISetPageSegMode");
        resolve(l.setImage, "TessBaseAPISetImage");
        resolve(l.setSourceResolution, "TessBaseAPISetSourceResolution");
        resolve(l.recognize, "TessBaseAPIRecognize");
        resolve(l.clear, "TessBaseAPIClear");
        resolve(l.iterator, "TessBaseAPIGetIterator");
        resolve(l.lineText, "TessResultIteratorGetUTF8Text");
        resolve(l.next, "TessResultIteratorNext");
        resolve(l.deleteIterator, "TessResultIteratorDelete");
        resolve(l.deleteText, "TessDeleteText");
        resolve(l.createMonitor, "TessMonitorCreate");
        resolve(l.deleteMonitor, "TessMonitorDelete");
        resolve(l.setCancelFunction, "TessMonitorSetCancelFunc");
        resolve(l.setCancelThis, "TessMonitorSetCancelThis");
        resolve(l.setDeadline, "TessMonitorSetDeadlineMSecs");
        if (complete)
            return l;
        const char *error = ::dlerror();
        qWarning("text recognition is off: Tesseract (libtesseract5) cannot be loaded: %s", error ? error : "");
        return std::nullopt;
    }
};

} // namespace

struct TesseractTextRecognizer::Engine {
    std::mutex mutex;
    const TesseractLibrary *library = nullptr;
    TessBaseAPI *api = nullptr;
    bool initialised = false;
    bool failed = false;

    // Loads the library and the language data once, on first use (about 80 ms).
    TessBaseAPI *ready()
    {
        if (initialised)
            return failed ? nullptr : api;
        initialised = true;
        library = TesseractLibrary::get();
        if (!library) {
            failed = true;
            return nullptr;
        }
        api = library->create();
        // Polish is optional; English must be there. Polish comes first: after English, single Polish words
        // lost their marks ("Gdansk", "Krakow"), and English reads as well either way.
        if (library->init(api, nullptr, "pol+eng", tesseract::OEM_LSTM_ONLY) != 0
            && library->init(api, nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0) {
            qWarning("text recognition is off: Tesseract's English data (tesseract-ocr-eng) is missing.");
            failed = true;
            return nullptr;
        }
        library->setPageSegMode(api, tesseract::PSM_AUTO);
        return api;
    }

    ~Engine()
    {
        if (!api)
            return;
        library->end(api);
        library->destroy(api);
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
    TessBaseAPI *api = engine.ready();
    if (!api)
        return std::nullopt;
    const TesseractLibrary &library = *engine.library;
    library.setImage(api, image.constBits(), image.width(), image.height(), 3, int(image.bytesPerLine()));
    library.setSourceResolution(api, 96);

    const std::unique_ptr<ETEXT_DESC, decltype(library.deleteMonitor)> monitor(library.createMonitor(),
                                                                                library.deleteMonitor);
    library.setCancelFunction(monitor.get(), &cancelRequested);
    library.setCancelThis(monitor.get(), &stop);
    library.setDeadline(monitor.get(), recognitionDeadlineMs);
    if (library.recognize(api, monitor.get()) != 0 || stop.raised()) {
        library.clear(api);
        return std::nullopt;
    }

    ImageObservations observations;
    const std::unique_ptr<TessResultIterator, decltype(library.deleteIterator)> line(library.iterator(api),
                                                                                      library.deleteIterator);
    if (line) {
        do {
            char *text = library.lineText(line.get(), tesseract::RIL_TEXTLINE);
            const QString candidate = text ? QString::fromUtf8(text).trimmed() : QString();
            if (text)
                library.deleteText(text);
            if (candidate.isEmpty())
                observations.textLines.append(std::nullopt);
            else
                observations.textLines.append(candidate);
        } while (library.next(line.get(), tesseract::RIL_TEXTLINE));
    }
    library.clear(api);
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
