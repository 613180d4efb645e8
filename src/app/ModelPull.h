#pragma once

#include "model/OllamaPull.h"

#include <QObject>
#include <QString>
#include <stop_token>
#include <thread>

namespace app {

// One model being fetched by a local Ollama. Lives as long as the model, not the panel, so a
// fetch goes on when the panel closes and shows its progress again when it opens.
class ModelPull : public QObject {
    Q_OBJECT

public:
    enum class State { idle, pulling, failed, cancelled, finished };

    explicit ModelPull(QObject* parent = nullptr);
    ~ModelPull() override;

    // Starts fetching unless a fetch runs already.
    void start(const QString& endpoint, const QString& model, bool allowRemote);
    void cancel();

    State state() const { return state_; }
    const QString& model() const { return model_; }
    const QString& endpoint() const { return endpoint_; }
    const engine::OllamaPull::Progress& progress() const { return progress_; }
    const QString& error() const { return error_; }

signals:
    void changed();
    // The model is on the server now.
    void pulled(const QString& endpoint, const QString& model);

private:
    void ended(const engine::OllamaPull::Outcome& outcome);

    State state_ = State::idle;
    QString endpoint_;
    QString model_;
    engine::OllamaPull::Progress progress_;
    QString error_;
    std::jthread worker_;
};

} // namespace app
