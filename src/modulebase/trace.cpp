#include "modulebase/trace.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

namespace module {

namespace {

class StderrSink final : public TraceSink {
  public:
    void Write(std::string_view line) noexcept override {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
        std::fflush(stderr);
    }
};

// Opens the file for each line: objects come and go rarely, and several objects (and
// processes) may share one trace file.
class FileSink final : public TraceSink {
  public:
    explicit FileSink(std::string path) : path_(std::move(path)) {}
    void Write(std::string_view line) noexcept override {
        try {
            std::ofstream out(path_, std::ios::app | std::ios::binary);
            out << line << '\n';
        } catch (...) {
            // A trace that cannot be written must not disturb the module.
        }
    }

  private:
    std::string path_;
};

}  // namespace

std::shared_ptr<TraceSink> make_trace_sink(std::string_view setting) {
    if (setting.empty()) return nullptr;
    if (setting == "1") return std::make_shared<StderrSink>();
    return std::make_shared<FileSink>(std::string(setting));
}

std::shared_ptr<TraceSink> trace_sink_from_environment() {
    const char* value = std::getenv(kTraceVariable);
    return make_trace_sink(value ? std::string_view(value) : std::string_view());
}

std::optional<Guid> random_guid() noexcept {
    try {
        std::random_device device;
        std::uniform_int_distribution<unsigned> byte(0, 255);
        std::array<std::uint8_t, 16> b{};
        for (auto& x : b) x = static_cast<std::uint8_t>(byte(device));
        b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x40);  // version 4 (random)
        b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
        Guid g;
        g.data1 =
            (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
        g.data2 = static_cast<std::uint16_t>((b[4] << 8) | b[5]);
        g.data3 = static_cast<std::uint16_t>((b[6] << 8) | b[7]);
        for (int i = 0; i < 8; ++i) g.data4[static_cast<std::size_t>(i)] = b[static_cast<std::size_t>(8 + i)];
        return g;
    } catch (...) {
        return std::nullopt;
    }
}

std::string format_instance_id(const Guid& guid) {
    char text[33];
    std::snprintf(text, sizeof text, "%08X%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned>(guid.data1), static_cast<unsigned>(guid.data2),
                  static_cast<unsigned>(guid.data3), guid.data4[0], guid.data4[1], guid.data4[2],
                  guid.data4[3], guid.data4[4], guid.data4[5], guid.data4[6], guid.data4[7]);
    return text;
}

std::string trace_line(std::string_view instance_id, std::string_view phase, std::string_view object_name) {
    std::string line = "KVTR:";
    for (std::string_view part : {instance_id, phase, kProjectName, object_name}) {
        line += '|';
        line += part;
    }
    return line;
}

InstanceId::InstanceId(GuidSource source) : source_(std::move(source)) {}

const std::string& InstanceId::get() noexcept {
    if (id_.empty()) {
        try {
            if (auto guid = source_ ? source_() : std::nullopt) id_ = format_instance_id(*guid);
        } catch (...) {
            id_.clear();
        }
    }
    return id_;
}

ObjectTrace::ObjectTrace(std::shared_ptr<TraceSink> sink, std::string object_name, GuidSource source)
    : sink_(std::move(sink)), object_name_(std::move(object_name)), id_(std::move(source)) {
    write("INI");
}

ObjectTrace::~ObjectTrace() {
    finish();
}

void ObjectTrace::finish() noexcept {
    if (finished_) return;
    finished_ = true;
    write("TER");
}

void ObjectTrace::write(std::string_view phase) noexcept {
    if (!sink_) return;
    try {
        sink_->Write(trace_line(id_.get(), phase, object_name_));
    } catch (...) {
    }
}

}  // namespace module
