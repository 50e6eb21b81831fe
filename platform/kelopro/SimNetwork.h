#pragma once
// A simulated P-NET network: the devices by PhysId, and the clock they run on.
//
// A network is read from a JSON file (see README.md for the format); without a
// file the built-in default network is used. A file that cannot be read or is not
// a valid network description is an error (NetworkError) that names the file and
// what is wrong; there is no fallback to the default network.

#include "SimClock.h"
#include "SimDevice.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <stdexcept>
#include <vector>

namespace kelopro {

class NetworkError : public std::runtime_error {
public:
    explicit NetworkError(const QString &text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

class SimNetwork {
public:
    // Name of the environment variable that names the network file.
    static constexpr const char *NetworkFileVariable = "KELO_PRO_NETWORK";

    SimNetwork() = default;
    SimNetwork(const SimNetwork &) = delete;
    SimNetwork &operator=(const SimNetwork &) = delete;

    // Reads a network description; sourceName names it in error texts.
    static std::shared_ptr<SimNetwork> fromJson(const QByteArray &json, const QString &sourceName);
    static std::shared_ptr<SimNetwork> fromFile(const QString &path);
    // The file named by KELO_PRO_NETWORK, or the default network when it is unset or empty.
    static std::shared_ptr<SimNetwork> fromEnvironment();
    static std::shared_ptr<SimNetwork> defaultNetwork();
    // The default network in the file format.
    static QByteArray defaultNetworkJson();

    // Adds a device; raises NetworkError when its PhysId (without regard to case)
    // is already taken.
    SimDevice &addDevice(std::unique_ptr<SimDevice> device);

    // Device by its lower-case PhysId; nullptr when unknown.
    SimDevice *deviceByLowerId(const QString &lowerPhysId) const { return m_byId.value(lowerPhysId, nullptr); }
    // Device by PhysId in any case.
    SimDevice *device(const QString &physId) const { return deviceByLowerId(physId.toLower()); }
    // First device (in network order) that holds the node number; nullptr if none.
    SimDevice *deviceAtNode(int node) const;
    // First answering device whose serial number is the one given; nullptr if none.
    SimDevice *deviceWithSerial(quint32 serial) const;

    const std::vector<std::unique_ptr<SimDevice>> &devices() const { return m_devices; }
    // Removes a device (PhysId in any case) from this network and hands it over;
    // nullptr when unknown. Used to move devices of a freshly read network file into
    // a running one.
    std::unique_ptr<SimDevice> takeDevice(const QString &physId);
    // Changes whenever a device joins or leaves, so that what was looked up by PhysId
    // can be kept until then.
    quint64 generation() const { return m_generation; }

    SimClock &clock() { return m_clock; }
    const SimClock &clock() const { return m_clock; }

private:
    std::vector<std::unique_ptr<SimDevice>> m_devices;
    QHash<QString, SimDevice *> m_byId;
    quint64 m_generation = 0;
    SimClock m_clock;
};

} // namespace kelopro
