#pragma once
// Trace lines of the module's objects: one line when an object is created ("INI") and one
// when it is destroyed ("TER"), e.g.
//     KVTR:|3F2504E04F8911D39A0C0305E82C3301|INI|ZIZO_LEDGERINTAKE|CLSCG_LEDGERINTAKE
// They go to the debug output chosen by LEDGERINTAKE_TRACE: unset or empty writes nothing,
// "1" writes to standard error, any other value is a file path the lines are appended to.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace module {

inline constexpr std::string_view kProjectName = "ZIZO_LEDGERINTAKE";
inline constexpr const char* kTraceVariable = "LEDGERINTAKE_TRACE";

class TraceSink {
  public:
    virtual ~TraceSink() = default;
    // Writes one line (the sink adds the line end). Never throws.
    virtual void Write(std::string_view line) noexcept = 0;
};

// The sink for a LEDGERINTAKE_TRACE value; nullptr means silent.
std::shared_ptr<TraceSink> make_trace_sink(std::string_view setting);
std::shared_ptr<TraceSink> trace_sink_from_environment();

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};
};
// Produces a fresh GUID, or nothing when the platform cannot.
using GuidSource = std::function<std::optional<Guid>()>;
std::optional<Guid> random_guid() noexcept;

// 32 upper-case hexadecimal digits: data1 (8), data2 (4), data3 (4), then the 8 bytes.
std::string format_instance_id(const Guid& guid);

// "KVTR:|<id>|<phase>|ZIZO_LEDGERINTAKE|<object>"
std::string trace_line(std::string_view instance_id, std::string_view phase, std::string_view object_name);

// An object's instance identifier: made on first use from a fresh GUID, then kept. When
// no GUID can be had the identifier is empty and is made again on the next request.
class InstanceId {
  public:
    explicit InstanceId(GuidSource source = random_guid);
    const std::string& get() noexcept;

  private:
    GuidSource source_;
    std::string id_;
};

// Writes the "INI" line when constructed and the "TER" line once, at finish() or at
// destruction, whichever comes first.
class ObjectTrace {
  public:
    ObjectTrace(std::shared_ptr<TraceSink> sink, std::string object_name, GuidSource source = random_guid);
    ~ObjectTrace();
    ObjectTrace(const ObjectTrace&) = delete;
    ObjectTrace& operator=(const ObjectTrace&) = delete;

    void finish() noexcept;
    const std::string& instance_id() noexcept { return id_.get(); }
    const std::shared_ptr<TraceSink>& sink() const noexcept { return sink_; }

  private:
    void write(std::string_view phase) noexcept;
    std::shared_ptr<TraceSink> sink_;
    std::string object_name_;
    InstanceId id_;
    bool finished_ = false;
};

}  // namespace module
