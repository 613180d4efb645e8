#include "ModelChooser.h"

#include "model/ModelClient.h"
#include "model/ModelEndpoint.h"

#include <QPointer>
#include <algorithm>

namespace app {

namespace {

std::string text(const QString& value) {
    return value.trimmed().toStdString();
}

// Why this address may not be used; nothing when it may.
std::optional<QString> refusal(const std::string& endpoint, bool allowRemote) {
    const auto parsed = engine::ModelEndpoint::parse(endpoint);
    if (!parsed) {
        return QStringLiteral("That isn't an address Quillmark can use, like "
                              "http://127.0.0.1:11434.");
    }
    if (!allowRemote && !parsed->isLoopback()) {
        return QStringLiteral("Only model servers on this computer are used. Set "
                              "allowRemoteModel=true in Quillmark.conf to use another.");
    }
    return std::nullopt;
}

} // namespace

ModelChooser::ModelChooser(ConfigSource config, Apply apply, Places places, QObject* parent)
    : QObject(parent), config_(std::move(config)), apply_(std::move(apply)),
      places_(std::move(places)) {
    pool_.setMaxThreadCount(2);
}

ModelChooser::~ModelChooser() {
    stop_.request_stop();
    pool_.clear();
    pool_.waitForDone();
}

template <typename Work, typename Done> void ModelChooser::run(Work work, Done done) {
    QPointer<ModelChooser> self(this);
    pool_.start([self, work = std::move(work), done = std::move(done)]() mutable {
        auto result = work();
        QMetaObject::invokeMethod(
            self.data(),
            [self, result = std::move(result), done = std::move(done)]() mutable {
                if (self) {
                    done(std::move(result));
                }
            },
            Qt::QueuedConnection);
    });
}

void ModelChooser::setProblem(std::optional<QString> problem) {
    if (problem_ == problem) {
        return;
    }
    problem_ = std::move(problem);
    emit changed();
}

void ModelChooser::showServers(std::vector<engine::ModelServer> servers) {
    servers_ = std::move(servers);
    lookedOnce_ = true;
    emit changed();
}

void ModelChooser::look() {
    ++looking_;
    const int generation = ++lookGeneration_;
    emit changed();
    run(
        [config = config_(), places = places_, stop = stop_.get_token()] {
            return engine::ModelDiscovery::discover(config, engine::Environment::process(),
                                                    places.timeouts, stop, places.localPorts);
        },
        [this, generation](std::vector<engine::ModelServer> found) {
            --looking_;
            if (generation == lookGeneration_) {
                servers_ = std::move(found);
                lookedOnce_ = true;
            }
            emit changed();
        });
}

void ModelChooser::lookAt(const QString& endpoint) {
    const std::string address = text(endpoint);
    const bool allowRemote = config_().allowRemoteModel;
    if (auto refused = refusal(address, allowRemote)) {
        setProblem(refused);
        return;
    }
    ++looking_;
    emit changed();
    run(
        [address, allowRemote, timeouts = places_.timeouts, stop = stop_.get_token()] {
            return engine::ModelDiscovery::probe(address, allowRemote, timeouts, stop);
        },
        [this, endpoint](engine::ModelDiscovery::Probe probe) {
            --looking_;
            if (probe.server) {
                addServer(std::move(*probe.server));
                problem_.reset();
            } else if (probe.answeredGarbage) {
                problem_ = QStringLiteral("Something answered at ") + endpoint.trimmed() +
                           QStringLiteral(", but not as a model server.");
            } else {
                problem_ = QStringLiteral("Nothing answered at ") + endpoint.trimmed() +
                           QStringLiteral(".");
            }
            emit changed();
        });
}

void ModelChooser::addServer(engine::ModelServer server) {
    auto same = std::find_if(servers_.begin(), servers_.end(),
                             [&](const auto& known) { return known.endpoint == server.endpoint; });
    if (same != servers_.end()) {
        *same = std::move(server);
    } else {
        servers_.push_back(std::move(server));
    }
    lookedOnce_ = true;
}

void ModelChooser::choose(const QString& endpoint, const QString& model) {
    engine::ModelConfig config = config_();
    config.endpoint = text(endpoint);
    config.modelName = text(model);
    if (auto refused = refusal(config.endpoint, config.allowRemoteModel)) {
        setProblem(refused);
        return;
    }
    if (config.modelName.empty()) {
        setProblem(apply_(endpoint.trimmed(), QString()));
        return;
    }
    run(
        [config, stop = stop_.get_token(), timeouts = places_.timeouts] {
            engine::ModelClient::Timeouts limits;
            limits.connect = timeouts.connect;
            limits.statusReply = timeouts.reply;
            return engine::ModelClient(config, limits, stop).status();
        },
        [this, endpoint, model](engine::ModelClient::Status status) {
            using Kind = engine::ModelClient::Status::Kind;
            const QString name = model.trimmed();
            switch (status.kind) {
            case Kind::ready:
                setProblem(apply_(endpoint.trimmed(), name));
                return;
            case Kind::modelNotInstalled:
            case Kind::noModels:
                setProblem(name + QStringLiteral(" is no longer on that server. Here is what "
                                                 "it has now."));
                break;
            case Kind::noServer:
                setProblem(QStringLiteral("Nothing answers at ") + endpoint.trimmed() +
                           QStringLiteral(" any more."));
                break;
            case Kind::unavailable:
                setProblem(QStringLiteral("That server isn't ready for ") + name +
                           QStringLiteral(". Try again in a moment."));
                break;
            }
            look();
        });
}

} // namespace app
