#include "platform/linux/ModelEndpoint.h"

#include "platform/Preferences.h"

#include <QHostAddress>

namespace {

QUrl withPath(QUrl base, const QString &tail)
{
    QString path = base.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    base.setPath(path + tail);
    return base;
}

std::optional<QString> settingValue(const Preferences &preferences, const QString &key)
{
    if (qEnvironmentVariableIsSet(key.toLatin1().constData()))
        return qEnvironmentVariable(key.toLatin1().constData());
    return preferences.string(key);
}

} // namespace

QUrl ModelEndpoint::modelsUrl() const
{
    return withPath(baseUrl, QStringLiteral("/models"));
}

QUrl ModelEndpoint::chatCompletionsUrl() const
{
    return withPath(baseUrl, QStringLiteral("/chat/completions"));
}

bool ModelEndpoint::isLoopback() const
{
    return isLoopbackHost(baseUrl.host());
}

bool ModelEndpoint::isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

ModelEndpoint ModelEndpoint::parse(std::optional<QString> setting, std::optional<QString> modelName)
{
    ModelEndpoint endpoint;
    endpoint.modelName = modelName.value_or(QString()).trimmed();
    const QString text = setting ? setting->trimmed() : defaultUrl;
    if (text.isEmpty() || text.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0) {
        endpoint.problem = QStringLiteral("no language model endpoint is configured (%1 is off)").arg(settingKey);
        return endpoint;
    }
    QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty()
        || !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment()) {
        endpoint.problem = QStringLiteral("%1 is not an http:// or https:// URL of a model server").arg(settingKey);
        return endpoint;
    }
    // A bare server address means its OpenAI-compatible API under /v1.
    if (url.path().isEmpty() || url.path() == QLatin1String("/"))
        url.setPath(QStringLiteral("/v1"));
    endpoint.baseUrl = url;
    return endpoint;
}

ModelEndpoint ModelEndpoint::read(const Preferences &preferences)
{
    return parse(settingValue(preferences, settingKey), settingValue(preferences, modelNameKey));
}
