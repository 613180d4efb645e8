#pragma once

#include "model/ModelConfig.h"
#include "model/ModelDiscovery.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

namespace app {

// The model servers found on this computer and the choice among them. Looking and checking a
// choice run off the main thread with short timeouts, so neither start-up nor naming waits.
class ModelChooser : public QObject {
    Q_OBJECT

public:
    struct Places {
        std::vector<int> localPorts = engine::ModelDiscovery::defaultPorts();
        engine::ModelDiscovery::Timeouts timeouts;
    };
    // `config` gives the model settings of the moment; `apply` stores a checked choice.
    using ConfigSource = std::function<engine::ModelConfig()>;
    // It may answer with a warning for the user.
    using Apply =
        std::function<std::optional<QString>(const QString& endpoint, const QString& model)>;

    ModelChooser(ConfigSource config, Apply apply, Places places, QObject* parent = nullptr);
    ~ModelChooser() override;

    // Asks every place again; `servers` is replaced when all have answered or given up.
    void look();
    // An address typed by hand: looked at once and added to the servers when it answers.
    void lookAt(const QString& endpoint);
    // Checks that the model is still there, then applies it. An empty model is "Automatic",
    // which is applied at once.
    void choose(const QString& endpoint, const QString& model);

    bool looking() const { return looking_ > 0; }
    bool lookedOnce() const { return lookedOnce_; }
    const std::vector<engine::ModelServer>& servers() const { return servers_; }
    // The last thing that went wrong, for the user; none once something works.
    const std::optional<QString>& problem() const { return problem_; }
    void setProblem(std::optional<QString> problem);
    // Shows these servers as if found, for drawing the views without any server.
    void showServers(std::vector<engine::ModelServer> servers);

signals:
    void changed();

private:
    template <typename Work, typename Done> void run(Work work, Done done);
    void addServer(engine::ModelServer server);

    ConfigSource config_;
    Apply apply_;
    Places places_;
    QThreadPool pool_;
    std::stop_source stop_;
    int looking_ = 0;
    int lookGeneration_ = 0;
    bool lookedOnce_ = false;
    std::vector<engine::ModelServer> servers_;
    std::optional<QString> problem_;
};

} // namespace app
