#include "ModelPull.h"

#include <QPointer>

namespace app {

ModelPull::ModelPull(QObject* parent) : QObject(parent) {}

ModelPull::~ModelPull() {
    // The jthread asks the fetch to stop and waits for it; nothing may reach this object after.
    worker_ = {};
}

void ModelPull::start(const QString& endpoint, const QString& model, bool allowRemote) {
    if (state_ == State::pulling) {
        return;
    }
    endpoint_ = endpoint.trimmed();
    model_ = model.trimmed();
    if (model_.isEmpty()) {
        state_ = State::failed;
        error_ = QStringLiteral("Type the name of a model to fetch, like qwen2.5vl:3b.");
        emit changed();
        return;
    }
    state_ = State::pulling;
    progress_ = {};
    error_.clear();
    emit changed();
    worker_ = {}; // the last fetch has ended; its thread is joined here
    QPointer<ModelPull> self(this);
    worker_ = std::jthread([self, endpoint = endpoint_.toStdString(), model = model_.toStdString(),
                            allowRemote](std::stop_token stop) {
        const auto report = [self](const engine::OllamaPull::Progress& progress) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, progress] {
                    if (self && self->state_ == State::pulling) {
                        self->progress_ = progress;
                        emit self->changed();
                    }
                },
                Qt::QueuedConnection);
        };
        const auto outcome = engine::OllamaPull::run(endpoint, model, allowRemote, report, stop);
        QMetaObject::invokeMethod(
            self.data(),
            [self, outcome] {
                if (self) {
                    self->ended(outcome);
                }
            },
            Qt::QueuedConnection);
    });
}

void ModelPull::cancel() {
    if (state_ != State::pulling) {
        return;
    }
    worker_.request_stop();
}

void ModelPull::ended(const engine::OllamaPull::Outcome& outcome) {
    using Kind = engine::OllamaPull::Outcome::Kind;
    switch (outcome.kind) {
    case Kind::finished:
        state_ = State::finished;
        break;
    case Kind::cancelled:
        state_ = State::cancelled;
        break;
    case Kind::failed:
        state_ = State::failed;
        error_ = QString::fromStdString(outcome.error);
        break;
    }
    emit changed();
    if (state_ == State::finished) {
        emit pulled(endpoint_, model_);
    }
}

} // namespace app
