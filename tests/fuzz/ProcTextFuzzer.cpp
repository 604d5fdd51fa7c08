// libFuzzer entry for the client checks' reading of /proc texts: any text as a process's "stat"
// (and its exe link) under a made-up /proc, read by the start-time parser, the client watch and
// the verifier. Nothing crashes; a start time is found only where a whole field 22 stands.
#include "Tools/SMCHelper/ClientVerifier.h"
#include "Tools/SMCHelper/ClientWatch.h"
#include "tests/Support/TempRoot.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace {

struct World {
    TempRoot root;
    std::filesystem::path proc = root.path() / "proc";
    std::unique_ptr<Aerlo::ClientVerifier> verifier;
    std::unique_ptr<Aerlo::ClientWatch> watch;

    World()
    {
        std::filesystem::create_directories(proc / "4242");
        const auto client = root.path() / "Aerlo";
        std::ofstream(client) << "fake client\n";
        std::filesystem::create_symlink(client, proc / "4242" / "exe");
        Aerlo::HelperConfiguration configuration;
        configuration.allowedClientUIDs = {501};
        configuration.allowedClientPath = std::filesystem::canonical(client);
        configuration.allowedClientSHA256 = "68263aa24ab22d93b521f6a431d85c1d032b747560bd0e628f7bf7b7ec63f65f";
        verifier = std::make_unique<Aerlo::ClientVerifier>(configuration, proc);
        watch = std::make_unique<Aerlo::ClientWatch>([](const Aerlo::ClientProcess&) {}, proc);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    World& w = fuzzWorld<World>();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto start = Aerlo::ClientVerifier::startTime(text);
    if (start && text.rfind(')') == std::string_view::npos)
        std::abort();
    std::ofstream(w.proc / "4242" / "stat", std::ios::binary | std::ios::trunc) << text;
    const auto process = w.watch->process(4242);
    if (process && process->startTime != start.value_or(~0ull))
        std::abort();
    const XPC::PeerCredentials peer {4242, 501, 20};
    if (w.verifier->admitPeer(peer))
        (void)w.verifier->admitSender(peer, peer);
    if (process && w.watch->watch(*process)) {
        w.watch->check();
        w.watch->forget(*process);
    }
    return 0;
}
