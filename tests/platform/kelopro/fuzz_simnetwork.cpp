// libFuzzer target of the network file reader of the simulated network: any bytes
// either give a network or raise NetworkError with a message of bounded length (a
// message quotes at most a short part of any text of the file), never anything else.
#include "SimNetwork.h"

#include <cstdint>
#include <cstdlib>

using namespace kelopro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const std::shared_ptr<SimNetwork> network = SimNetwork::fromJson(json, QStringLiteral("fuzz.json"));
        // Every device of a network that loads is found by its PhysId and answers reads.
        for (int node = 0; node < 256; ++node) {
            SimDevice *device = network->deviceAtNode(node);
            if (!device)
                continue;
            if (network->device(device->physId()) != device)
                abort();
        }
    } catch (const NetworkError &e) {
        if (e.text().isEmpty() || e.text().size() > 1000)
            abort();
    }
    return 0;
}
