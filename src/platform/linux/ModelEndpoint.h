#pragma once
// Where the local language model server listens: one setting, TAVLEN_MODEL_ENDPOINT, read from the
// environment first and then from the same key in the preferences file. Unset means the default
// http://127.0.0.1:8080/v1 (llama.cpp's server); empty or "off" means no endpoint. The optional
// TAVLEN_MODEL_NAME picks a model; without it the server's first listed model answers.

#include <QString>
#include <QUrl>

#include <optional>

class Preferences;

struct ModelEndpoint {
    static inline const QString settingKey = QStringLiteral("TAVLEN_MODEL_ENDPOINT");
    static inline const QString modelNameKey = QStringLiteral("TAVLEN_MODEL_NAME");
    static inline const QString defaultUrl = QStringLiteral("http://127.0.0.1:8080/v1");

    // The OpenAI-compatible base URL (…/v1); invalid when there is no usable endpoint.
    QUrl baseUrl;
    QString modelName;
    // Why there is no usable endpoint, for the log; empty when there is one.
    QString problem;

    bool isUsable() const { return baseUrl.isValid() && problem.isEmpty(); }
    QUrl modelsUrl() const;
    QUrl chatCompletionsUrl() const;
    // The host is this computer (127.0.0.0/8, ::1, "localhost").
    bool isLoopback() const;

    // The setting as given (none: unset) and the model name.
    static ModelEndpoint parse(std::optional<QString> setting, std::optional<QString> modelName);
    // The environment first, then the preferences file.
    static ModelEndpoint read(const Preferences &preferences);
    static bool isLoopbackHost(const QString &host);
};
