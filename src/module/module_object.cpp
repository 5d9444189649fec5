#include "module/module_object.h"

#include <limits>

#include "module/application.h"
#include "module/import_window.h"
#include "modulebase/error_trap.h"
#include "modulebase/window.h"

namespace module {

namespace {

std::unique_ptr<ModuleWindow> make_import_window(ModuleContext& context) {
    return std::make_unique<ImportWindow>(context);
}

// Stores a Long into a 16-bit field; a value that does not fit leaves the field unchanged.
void store_integer(std::int16_t& field, std::int32_t v) {
    if (v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max())
        field = static_cast<std::int16_t>(v);
}

// Stores a value converted to a Long; one that does not convert leaves the field unchanged.
void store_long(std::int32_t& field, const ado::Variant& v) {
    suppress([&] { field = v.to_long(); });
}

void store_variant(ado::Variant& field, const ado::Variant& v) {
    suppress([&] { field = v; });
}

ado::Variant read_variant(const ado::Variant& field) {
    return suppress_or(ado::Variant(), [&] { return field; });
}

}  // namespace

ModuleObject::Options ModuleObject::default_options() {
    Options options;
    options.trace = trace_sink_from_environment();
    return options;
}

ModuleObject::ModuleObject(Options options)
    : application_(options.application ? std::move(options.application)
                                       : std::make_shared<const ComponentApplication>()),
      context_(std::make_unique<ModuleContext>(*this, application_, options.trace, options.guid_source)),
      window_factory_(options.window_factory ? std::move(options.window_factory)
                                             : WindowFactory(make_import_window)),
      trace_(options.trace, kObjectName, options.guid_source) {
    active_dll_ = this;
}

ModuleObject::~ModuleObject() {
    trace_.finish();
    status_bar_.reset();
    active_frame_.reset();
    active_dll_ = nullptr;
    cls_voce_menu_.reset();
    cls_global_.reset();
    cwindow_.reset();
    navigator_.reset();
    connection_.reset();
    window_.reset();
}

void ModuleObject::SetClsGlobal(std::shared_ptr<host::GlobalServices> v) noexcept {
    cls_global_ = std::move(v);
}
std::shared_ptr<host::GlobalServices> ModuleObject::ClsGlobal() const noexcept {
    return cls_global_;
}
void ModuleObject::SetActiveFrame(std::shared_ptr<host::Frame> v) noexcept {
    active_frame_ = std::move(v);
}
std::shared_ptr<host::Frame> ModuleObject::ActiveFrame() const noexcept {
    return active_frame_;
}
void ModuleObject::SetActiveNavigator(std::shared_ptr<host::Navigator> v) noexcept {
    navigator_ = std::move(v);
}
std::shared_ptr<host::Navigator> ModuleObject::ActiveNavigator() const noexcept {
    return navigator_;
}
void ModuleObject::SetStatusBar(std::shared_ptr<host::HostObject> v) noexcept {
    status_bar_ = std::move(v);
}
std::shared_ptr<host::HostObject> ModuleObject::StatusBar() const noexcept {
    return status_bar_;
}

void ModuleObject::SetWindowState(std::int32_t v) noexcept {
    store_integer(window_state_, v);
}
void ModuleObject::SetProgramMode(std::int32_t v) noexcept {
    store_integer(program_mode_, v);
}

void ModuleObject::SetMenuModulo(const ado::Variant& v) noexcept {
    store_variant(menu_modulo_, v);
}
ado::Variant ModuleObject::MenuModulo() const noexcept {
    return read_variant(menu_modulo_);
}
void ModuleObject::SetMenuPadre(const ado::Variant& v) noexcept {
    store_variant(menu_padre_, v);
}
ado::Variant ModuleObject::MenuPadre() const noexcept {
    return read_variant(menu_padre_);
}
void ModuleObject::SetMenuProg(const ado::Variant& v) noexcept {
    store_variant(menu_prog_, v);
}
ado::Variant ModuleObject::MenuProg() const noexcept {
    return read_variant(menu_prog_);
}
void ModuleObject::SetCaption(const ado::Variant& v) noexcept {
    store_variant(caption_, v);
}
ado::Variant ModuleObject::Caption() const noexcept {
    return read_variant(caption_);
}
void ModuleObject::SetFiltro(const ado::Variant& v) noexcept {
    store_variant(filtro_, v);
}
ado::Variant ModuleObject::Filtro() const noexcept {
    return read_variant(filtro_);
}
void ModuleObject::SetScheduleCode(const ado::Variant& v) noexcept {
    store_variant(schedule_code_, v);
}
ado::Variant ModuleObject::ScheduleCode() const noexcept {
    return read_variant(schedule_code_);
}

void ModuleObject::SetTop(const ado::Variant& v) noexcept {
    store_long(top_, v);
}
void ModuleObject::SetLeft(const ado::Variant& v) noexcept {
    store_long(left_, v);
}

void ModuleObject::SetConnection(std::shared_ptr<ado::Connection> v) noexcept {
    connection_ = std::move(v);
}
std::shared_ptr<ado::Connection> ModuleObject::Connection() const noexcept {
    return connection_;
}
std::shared_ptr<host::HostObject> ModuleObject::Cwindow() const noexcept {
    return cwindow_;
}
void ModuleObject::SetClsVoceMenu(std::shared_ptr<host::HostObject> v) noexcept {
    cls_voce_menu_ = std::move(v);
}
std::shared_ptr<host::HostObject> ModuleObject::ClsVoceMenu() const noexcept {
    return cls_voce_menu_;
}

std::shared_ptr<const host::Application> ModuleObject::ObjApplication() const noexcept {
    return application_;
}

ado::Variant ModuleObject::ShowForm() noexcept {
    suppress([&] {
        // Every call makes a new window. One still open stays open (it is the user's until
        // they close it); windows already closed are let go.
        if (window_ && window_->IsLoaded()) earlier_windows_.push_back(std::move(window_));
        std::erase_if(earlier_windows_, [](const auto& w) { return !w->IsLoaded(); });
        window_ = window_factory_(*context_);
        if (!window_) return;
        window_->SetActiveDll(active_dll_);
        window_->SetModuleObject(this);
        const std::string requested = suppress_or(std::string(), [&] { return caption_.text_or_empty(); });
        const bool blank = requested.find_first_not_of(' ') == std::string::npos;
        window_->SetCaption(blank ? std::string(kDefaultCaption) : requested);
        window_->Show(window_modal_);
    });
    return {};
}

ado::Variant ModuleObject::CloseForm() noexcept {
    bool closed = false;
    suppress([&] {
        if (!window_) {
            closed = true;  // nothing open: the window is gone
            return;
        }
        window_->Unload();
        closed = window_->ActiveDll() == nullptr;
    });
    return ado::Variant(closed);
}

ado::Variant ModuleObject::TransferData(const ado::Variant& data) noexcept {
    // Handlers may advise or unadvise while the event runs: raise to a snapshot.
    const auto handlers =
        suppress_or(decltype(data_transfer_handlers_)(), [&] { return data_transfer_handlers_; });
    for (const auto& entry : handlers) {
        // A named reference, not a structured binding: clang 14 cannot capture those.
        const DataTransferHandler& handler = entry.second;
        suppress([&] {
            if (handler) handler(data);
        });
    }
    return {};
}

std::int32_t ModuleObject::AdviseDataTransfer(DataTransferHandler handler) noexcept {
    return suppress_or(0, [&] {
        const std::int32_t cookie = next_cookie_++;
        data_transfer_handlers_.emplace(cookie, std::move(handler));
        return cookie;
    });
}

void ModuleObject::UnadviseDataTransfer(std::int32_t cookie) noexcept {
    data_transfer_handlers_.erase(cookie);
}

void ModuleObject::SetUi(std::shared_ptr<Ui> ui) noexcept {
    context_->set_ui(std::move(ui));
}

void ModuleObject::SetLogHook(LogHook hook) noexcept {
    context_->set_log_hook(std::move(hook));
}

Window* ModuleObject::CurrentWindow() noexcept {
    return window_.get();
}

}  // namespace module
