// Runs Tavlen's own composition (Linux platform, real secret service, the data folder of $XDG_DATA_HOME) in
// test mode and records or lists remembered values of one field of https://shop.example.com:
//   tavlen_field_values record KIND HEX...   records each value (given as hex); prints "recorded 1" or "0"
//   tavlen_field_values suggest KIND          prints "suggestion <hex value> <hex display value or ->"
// Values travel as hex so that the value itself never appears in this program's output.
#include "app/AppDelegate.h"
#include "fields/FieldValueAssociationService.h"
#include "platform/linux/LinuxPlatform.h"
#include "state/AppState.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: tavlen_field_values record|suggest KIND [HEX...]\n");
        return 2;
    }
    LinuxPlatform platform;
    LaunchOptions options;
    options.testMode = true;
    AppDelegate delegate(platform.platform(), options);
    delegate.start();
    FieldValueAssociationService &store = *delegate.appState().fieldValueAssociations();
    // The store answers from its own thread.
    auto finish = [](const auto &task) {
        while (!task.isFinished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return *task.result();
    };

    FocusedFieldDescriptor field;
    field.applicationId = QStringLiteral("org.example.browser");
    field.webOrigin = QStringLiteral("https://shop.example.com");
    field.domIdentifier = QStringLiteral("field-") + args.at(2).toLower();
    field.role = QStringLiteral("AXTextField");
    field.fieldType = args.at(2);

    if (args.at(1) == QLatin1String("record")) {
        for (qsizetype i = 3; i < args.size(); ++i) {
            const QString value = QString::fromUtf8(QByteArray::fromHex(args.at(i).toLatin1()));
            std::printf("recorded %d\n", finish(store.recordValue(value, field)) ? 1 : 0);
        }
    } else {
        for (const FocusedFieldSuggestion &suggestion : finish(store.suggestions(field, 1000, false))) {
            std::printf("suggestion %s %s\n", suggestion.value.toUtf8().toHex().constData(),
                        suggestion.displayValue ? suggestion.displayValue->toUtf8().toHex().constData() : "-");
        }
    }
    std::fflush(stdout);
    delegate.stop();
    return 0;
}
