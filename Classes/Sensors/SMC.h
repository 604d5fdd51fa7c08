#pragma once

#include "Classes/Sensors/FanMode.h"
#include "Classes/Sensors/SMCKeyData.h"
#include "Classes/Sensors/SMCVal.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/TestAccess.h"
#include "Platform/SMC/IOKitTypes.h"
#include "Platform/SMC/ServiceRegistry.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

using IOKit::kern_return_t;

// The client of the "AppleSMC" user client: one connection for the object's life, the three
// exchanges (key information and bytes, write bytes, key at index), the value codec, the key
// enumeration and the writers. Failures never throw: a result code, an absent value or false,
// with the printed line each operation specifies.
class SMC {
public:
    // The process-wide instance, opened on first use from any thread against the default service
    // registry (or the one resetForTesting named). It stays at one address, open, for the life of the
    // process: callers may keep the reference for the life of the app.
    static SMC& shared();

    // Opens a connection through the default registry, or through `registry`.
    SMC();
    explicit SMC(std::shared_ptr<IOKit::ServiceRegistry> registry);
    // Closes the connection; prints "error close smc connection: …" when closing fails.
    ~SMC();
    SMC(const SMC&) = delete;
    SMC& operator=(const SMC&) = delete;

    // The open connection, 0 when none could be opened.
    IOKit::io_connect_t conn = 0;

    // The endings of the per-fan keys.
    struct FanKeySuffix {
        static constexpr std::string_view actualSpeed = "Ac";
        static constexpr std::string_view minimumSpeed = "Mn";
        static constexpr std::string_view maximumSpeed = "Mx";
        static constexpr std::string_view targetSpeed = "Tg";
        static constexpr std::string_view mode = "Md";
        static constexpr std::string_view identifier = "ID";
    };
    // The key of fan `fan` (0 to 9): "F" + index + suffix, "F0Ac" for fan 0's actual speed.
    static std::string fanKey(int fan, std::string_view suffix);

    // Key codes: four bytes, first character most significant.
    static std::uint32_t keyCode(std::string_view key);
    static std::string keyString(std::uint32_t code);
    // The error text of a result code ("unknown error", or `fallback`, when it is not ASCII).
    static std::string errorText(kern_return_t code, std::string_view fallback = "unknown error");
    // Keys and types are raw bytes; this is their text for display and printed lines.
    static std::string latin1ToUTF8(std::string_view bytes);
    // A temperature key ("T…") reading this or less holds the firmware's "no sensor" value.
    static constexpr double noSensorTemperature = -100;

    // Key information (command 9), then the bytes (command 5). A key that is not four bytes is refused
    // with kIOReturnBadArgument; a size above 32 is clamped to 32. A key's information is asked once per
    // connection and kept until the SMC behind it may have restarted (an outage, a new connection of the
    // transport); a read that finds the SMC restarted under it is made again with fresh information.
    // Inside an SMCReadScope a key is read once and every later read of it gets that result (one made
    // while another thread reads it waits for that read).
    [[nodiscard]] kern_return_t read(SMCVal& value);
    // Command 6 with all 32 bytes; the data type is not sent. A bad key or a size above 32 is refused.
    [[nodiscard]] kern_return_t write(std::string_view key, std::uint32_t dataSize,
                                      const std::array<std::uint8_t, 32>& bytes);
    // Command 8: the key at `index`.
    [[nodiscard]] std::optional<std::string> keyAtIndex(std::uint32_t index);
    // Closes the connection (conn becomes 0 whatever the code); prints nothing.
    kern_return_t close();

    // An outage: the exchanges fail because the SMC itself is gone (kIOReturnNoDevice: its device, or the
    // connection to it). One line says so when it starts ("The SMC cannot be read: " + the error text) and
    // one when an exchange works again ("The SMC can be read again."); the per-key read lines are not
    // printed while it lasts. The failing code while it lasts, else nothing.
    [[nodiscard]] std::optional<kern_return_t> outage() const;

    // The number a key holds; nothing when it cannot be read, is all zero (but the fan-mode keys), has
    // no number type, or is a temperature key at or below noSensorTemperature.
    [[nodiscard]] std::optional<double> getValue(std::string_view key);
    // A key the SMC has but cannot give (its key information answered "not readable", 0x85, or a read of it
    // was refused as a bad argument, as the applesmc driver refuses a length it does not serve): its
    // reading is shown as the placeholder, never as a number.
    [[nodiscard]] bool isUnreadable(std::string_view key) const;
    [[nodiscard]] std::optional<std::string> getStringValue(std::string_view key);
    std::vector<std::string> getAllKeys();

    // Writers (used by the privileged helper daemon).
    void setFanMode(int fan, FanMode mode);
    void setFanSpeed(int fan, int rpm);
    void resetFanControl();
    [[nodiscard]] kern_return_t writeFpe2(std::string_view key, int value);
    [[nodiscard]] bool writeFanKeyChecked(std::string_view key, int value);
    [[nodiscard]] bool writeFanKey(std::string_view key, const std::vector<std::uint8_t>& bytes);
    void writeFanKeyBytes(int fan, int rpm);
    [[nodiscard]] bool writeWithRetry(std::string_view key, int value);
    [[nodiscard]] bool probeChargeKey();
    [[nodiscard]] std::optional<int> readByteValue(std::string_view key);
    void writeBytesValue(std::string_view key, int value);

    // The highest "#KEY" count enumerated.
    static constexpr std::uint32_t maxKeyCount = 65536;

private:
    friend class SMCReadScope;

    // What command 9 told of a key.
    struct KeyInfo {
        std::uint32_t dataSize = 0;
        std::string dataType;
    };
    // A read made inside the open read scopes; not done while its reader waits for the SMC.
    struct SharedRead {
        kern_return_t result = IOKit::kIOReturnSuccess;
        SMCVal value;
        bool done = false;
    };

    static Foundation::SharedInstance<SMC>& sharedInstance();
    static std::function<void(void* storage)> sharedMaker(std::shared_ptr<IOKit::ServiceRegistry> registry);
    void open();
    kern_return_t call(const SMCKeyData& input, SMCKeyData& output);

    // Prints a failed read's line, unless the SMC is out.
    void printReadFailure(const std::string& line) const;
    // Commands 9 (unless kept) and 5.
    kern_return_t readFromSMC(SMCVal& value);
    // The key's information from command 9, kept for `generation` of the transport.
    kern_return_t keyInfo(const std::string& key, std::uint64_t generation, KeyInfo& info);
    void forgetKeyInfo();
    void openReadScope();
    void closeReadScope();

    std::shared_ptr<IOKit::ServiceRegistry> registry_;
    bool isShared_ = false;
    std::atomic<kern_return_t> outage_ {IOKit::kIOReturnSuccess};
    mutable std::mutex unreadableMutex_;
    std::set<std::string, std::less<>> unreadable_;
    std::mutex keyInfoMutex_;
    std::map<std::string, KeyInfo, std::less<>> keyInfo_;
    std::uint64_t keyInfoGeneration_ = 0;
    std::mutex readScopeMutex_;
    std::condition_variable readScopeChanged_;
    int readScopes_ = 0;
    std::map<std::string, SharedRead, std::less<>> sharedReads_;

    friend struct ::TestAccess;
    // Tests, while no other thread uses the instance: closes the shared connection silently; the next
    // shared() reopens it in place against `registry` (nullptr: the default registry). References
    // taken before stay valid and name the reopened instance.
    static void resetForTesting(std::shared_ptr<IOKit::ServiceRegistry> registry = nullptr);
};

} // namespace Aerlo
