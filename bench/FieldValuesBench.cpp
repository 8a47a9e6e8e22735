// Remembered field values with 1,000 values in one field, in one run against plain baselines on the same
// data: building the field's suggestions against a scan that reads each value from a hash, recording a
// value against one raw SQLite update, and loading the store at start-up. The same with the real secret
// service (gnome-keyring, as `make bench` starts it) shows what the keyring itself costs per value.
#include "fields/FieldValueAssociationStore.h"
#include "model/FieldValueAssociationContainer.h"
#include "platform/linux/LinuxSecretStore.h"
#include "platform/linux/SystemClock.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimSecretStore.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <chrono>
#include <limits>
#include <memory>

namespace {

using BenchClock = std::chrono::steady_clock;
constexpr int kValues = 1000;

double secondsSince(BenchClock::time_point start)
{
    return std::chrono::duration<double>(BenchClock::now() - start).count();
}

FocusedFieldDescriptor textField()
{
    FocusedFieldDescriptor field;
    field.applicationBundleIdentifier = QStringLiteral("org.example.crm");
    field.title = QStringLiteral("Customer note");
    field.role = QStringLiteral("AXTextArea");
    field.fieldType = QStringLiteral("Text");
    return field;
}

QString valueNumber(int i)
{
    return QStringLiteral("remembered value number %1 with some ordinary length").arg(i);
}

// A store with 1,000 values recorded in one field, on the given secret store.
struct FilledStore {
    QTemporaryDir dir;
    SimClock clock;
    std::unique_ptr<FieldValueAssociationContainer> container;
    std::unique_ptr<FieldValueAssociationStore> store;
    bool ok = true;

    FilledStore(SecretStore &secrets, const QString &service)
    {
        container = std::make_unique<FieldValueAssociationContainer>(dir.path());
        store = std::make_unique<FieldValueAssociationStore>(*container, secrets, clock, service);
        store->fetchAssociations();
        for (int i = 0; i < kValues && ok; ++i) {
            clock.advance(1);
            ok = store->recordValue(valueNumber(i), textField());
        }
    }
};

SimSecretStore &simSecrets()
{
    static SimSecretStore secrets;
    return secrets;
}

FilledStore &simStore()
{
    static FilledStore filled(simSecrets(), QStringLiteral("trevik.tavlen.bench"));
    return filled;
}

LinuxSecretStore &keyringSecrets()
{
    static SystemClock clock;
    static LinuxSecretStore secrets(clock);
    return secrets;
}

FilledStore &keyringStore()
{
    static FilledStore filled(keyringSecrets(), QStringLiteral("trevik.tavlen.bench-") + QUuid::createUuid().toString(QUuid::Id128));
    return filled;
}

void suggestions(benchmark::State &state, FilledStore &filled)
{
    if (!filled.ok) {
        state.SkipWithError("the secret store refused the values (no secret service?)");
        return;
    }
    // The baseline: the same records scanned in order, each value read from a plain hash.
    QHash<QString, QByteArray> values;
    int i = 0;
    for (const FieldValueAssociation &record : filled.store->associations())
        values.insert(record.keychainAccount, valueNumber(i++).toUtf8());
    double ours = 0, baseline = 0;
    qsizetype offered = 0;
    for (auto _ : state) {
        auto start = BenchClock::now();
        const auto list = filled.store->suggestions(textField(), std::numeric_limits<int>::max(), false);
        ours += secondsSince(start);
        offered = list.size();

        start = BenchClock::now();
        QStringList plain;
        for (const FieldValueAssociation &record : filled.store->associations())
            plain.append(QString::fromUtf8(values.value(record.keychainAccount)));
        baseline += secondsSince(start);
        benchmark::DoNotOptimize(plain);
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = ours / n * 1000;
    state.counters["hash_scan_ms"] = baseline / n * 1000;
    state.counters["ratio"] = ours / baseline;
    state.counters["per_value_us"] = ours / n / double(qMax<qsizetype>(offered, 1)) * 1e6;
    state.counters["offered"] = double(offered);
}

void BM_SuggestionsFor1000Values(benchmark::State &state)
{
    suggestions(state, simStore());
}
BENCHMARK(BM_SuggestionsFor1000Values)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_SuggestionsFor1000ValuesInTheKeyring(benchmark::State &state)
{
    suggestions(state, keyringStore());
}
BENCHMARK(BM_SuggestionsFor1000ValuesInTheKeyring)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)
    ->ReportAggregatesOnly(true);

void record(benchmark::State &state, FilledStore &filled)
{
    if (!filled.ok) {
        state.SkipWithError("the secret store refused the values (no secret service?)");
        return;
    }
    double ours = 0, baseline = 0;
    int i = 0;
    for (auto _ : state) {
        // A value used before: one secret write and one saved record.
        auto start = BenchClock::now();
        const bool recorded = filled.store->recordValue(valueNumber(i++ % kValues), textField());
        ours += secondsSince(start);
        benchmark::DoNotOptimize(recorded);

        start = BenchClock::now();
        QSqlQuery update(filled.container->database());
        update.prepare(QStringLiteral("UPDATE FieldValueAssociation SET pasteCount = pasteCount WHERE keychainAccount = ?"));
        update.bindValue(0, filled.store->associations().first().keychainAccount);
        update.exec();
        baseline += secondsSince(start);
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = ours / n * 1000;
    state.counters["raw_update_ms"] = baseline / n * 1000;
    state.counters["ratio"] = ours / baseline;
}

void BM_RecordAKnownValueAmong1000(benchmark::State &state)
{
    record(state, simStore());
}
BENCHMARK(BM_RecordAKnownValueAmong1000)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_RecordAKnownValueAmong1000InTheKeyring(benchmark::State &state)
{
    record(state, keyringStore());
}
BENCHMARK(BM_RecordAKnownValueAmong1000InTheKeyring)->Unit(benchmark::kMillisecond)->Iterations(50)->Repetitions(3)
    ->ReportAggregatesOnly(true);

// Start-up: open the store file, load every record, check the key and the stored fingerprints.
void BM_StartUpLoad(benchmark::State &state)
{
    FilledStore &filled = simStore();
    for (auto _ : state) {
        FieldValueAssociationContainer container(filled.dir.path());
        FieldValueAssociationStore store(container, simSecrets(), filled.clock, QStringLiteral("trevik.tavlen.bench"));
        store.fetchAssociations();
        benchmark::DoNotOptimize(store.associations().size());
        state.counters["records"] = double(store.associations().size());
    }
}
BENCHMARK(BM_StartUpLoad)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_RecordANewValue(benchmark::State &state)
{
    FilledStore &filled = simStore();
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(filled.store->recordValue(QStringLiteral("new value %1").arg(i++), textField()));
}
BENCHMARK(BM_RecordANewValue)->Unit(benchmark::kMillisecond)->Iterations(200)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
