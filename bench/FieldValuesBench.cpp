// Remembered field values with 1,000 values in one field, in one run against plain baselines on the same
// data: building the field's suggestions against a scan that reads each value from a hash, recording a
// value against one raw SQLite update, and loading the store at start-up. The same with the real secret
// service (gnome-keyring, as `make bench` starts it) shows what the keyring itself costs per value.
#include "BenchmarkRun.h"

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
    field.applicationId = QStringLiteral("org.example.crm");
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

// The keyring as the benchmarks use it. A keyring just started makes and unlocks its collection at the first
// write, and a loaded machine can hold one call for more than the store's half-second budget, after which the
// store rests for half a minute. While the benchmark fills the keyring (`patient`), a call the service let
// run out of time is made again once that rest is over (on the store's own clock); timed calls never are.
class BenchKeyring : public SecretStore {
public:
    bool patient = true;

    SecretStoreStatus save(const QString &service, const QString &account, const QByteArray &secret,
                           const QString &label) override
    {
        return patiently([&] { return m_store.save(service, account, secret, label); });
    }
    SecretRead read(const QString &service, const QString &account) override
    {
        SecretRead result;
        patiently([&] { return (result = m_store.read(service, account)).status; });
        return result;
    }
    QHash<QString, SecretRead> readMany(const QString &service, const QStringList &accounts) override
    {
        QHash<QString, SecretRead> result;
        patiently([&] {
            result = m_store.readMany(service, accounts);
            for (const SecretRead &read : std::as_const(result))
                if (read.status == SecretStoreStatus::noAnswer)
                    return SecretStoreStatus::noAnswer;
            return SecretStoreStatus::success;
        });
        return result;
    }
    SecretStoreStatus remove(const QString &service, const QString &account) override
    {
        return patiently([&] { return m_store.remove(service, account); });
    }

private:
    template<typename Call>
    SecretStoreStatus patiently(const Call &call)
    {
        SecretStoreStatus status = call();
        for (int attempt = 0; patient && status == SecretStoreStatus::noAnswer && attempt < 40; ++attempt) {
            m_clock.advance(LinuxSecretStore::restSeconds);
            status = call();
        }
        return status;
    }

    SimClock m_clock;
    LinuxSecretStore m_store{m_clock};
};

BenchKeyring &keyringSecrets()
{
    static BenchKeyring secrets;
    return secrets;
}

FilledStore &keyringStore()
{
    // Filled, and the field's values offered once, so the store knows where each item lies (as after the
    // first offer since Tavlen started: the first looks every item up on its own).
    static FilledStore filled(keyringSecrets(), QStringLiteral("trevik.tavlen.bench-") + QUuid::createUuid().toString(QUuid::Id128));
    if (keyringSecrets().patient) {
        filled.store->suggestions(textField(), std::numeric_limits<int>::max(), false);
        keyringSecrets().patient = false;
    }
    return filled;
}

void suggestions(benchmark::State &state, FilledStore &filled)
{
    if (!filled.ok) {
        BenchmarkRun::fail(state, "the secret store refused the values (no secret service?)");
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
    if (offered != kValues) {
        BenchmarkRun::fail(state, "offered " + std::to_string(offered) + " of " + std::to_string(kValues) + " values");
        return;
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
        BenchmarkRun::fail(state, "the secret store refused the values (no secret service?)");
        return;
    }
    double ours = 0, baseline = 0;
    int i = 0;
    for (auto _ : state) {
        // A value used before: one secret write and one saved record.
        auto start = BenchClock::now();
        const bool recorded = filled.store->recordValue(valueNumber(i++ % kValues), textField());
        ours += secondsSince(start);
        if (!recorded) {
            BenchmarkRun::fail(state, "a known value was not recorded");
            break;
        }

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
        if (store.associations().size() != filled.store->associations().size()) {
            BenchmarkRun::fail(state, "loaded " + std::to_string(store.associations().size()) + " records");
            break;
        }
        state.counters["records"] = double(store.associations().size());
    }
}
BENCHMARK(BM_StartUpLoad)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_RecordANewValue(benchmark::State &state)
{
    FilledStore &filled = simStore();
    int i = 0;
    for (auto _ : state) {
        if (!filled.store->recordValue(QStringLiteral("new value %1").arg(i++), textField())) {
            BenchmarkRun::fail(state, "a new value was not recorded");
            break;
        }
    }
}
BENCHMARK(BM_RecordANewValue)->Unit(benchmark::kMillisecond)->Iterations(200)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    return BenchmarkRun::runAll();
}
