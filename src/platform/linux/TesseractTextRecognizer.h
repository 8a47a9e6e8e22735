#pragma once
// Text recognition on Linux with Tesseract (English and, when its data is installed, Polish), one image at a
// time on a worker thread of its own. Linux has no image classifier: labels are always empty.

#include "platform/TextRecognizer.h"

#include <QThreadPool>

#include <atomic>

#include <memory>

class TesseractTextRecognizer : public TextRecognizer {
    Q_OBJECT
public:
    // Larger images are not decoded at all (20,000 × 20,000 pixels would take gigabytes).
    static constexpr qint64 maximumPixelCount = 40'000'000;
    // One image may take at most this long in recognition proper.
    static constexpr int recognitionDeadlineMs = 60'000;

    explicit TesseractTextRecognizer(QObject *parent = nullptr);
    // Stops the image in progress and waits for the worker.
    ~TesseractTextRecognizer() override;

    Task<std::optional<ImageObservations>> recognize(QByteArray imageData) override;

    // Either flag, once raised, stops a recognition early.
    struct StopFlags {
        const std::atomic_bool *first = nullptr;
        const std::atomic_bool *second = nullptr;
        bool raised() const { return (first && first->load()) || (second && second->load()); }
    };
    // Runs on the calling thread; for benchmarks and for the worker.
    struct Engine;
    static std::optional<ImageObservations> recognizeNow(Engine &engine, const QByteArray &imageData, StopFlags stop);
    static std::shared_ptr<Engine> makeEngine();

private:
    QThreadPool m_worker;
    std::shared_ptr<Engine> m_engine;
    std::shared_ptr<std::atomic_bool> m_shuttingDown;
};
