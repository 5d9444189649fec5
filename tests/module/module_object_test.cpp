// The module object as the host drives it: stored properties, ShowForm, CloseForm and the
// order of the host calls at start-up and close, the DataTransfer event, trace lines.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "case_name.h"
#include "module_fixture.h"
#include "modulebase/import_window_shell.h"
#include "modulebase/module_context.h"
#include "modulebase/window.h"

namespace {

using ado::Variant;
using module_test::ModuleFixture;
using Calls = std::vector<std::string>;
const std::string kDefaultCaption = "Importazione movimenti COGE nel gruppo IVA";

class ModuleObjectTest : public ModuleFixture {};

// WindowState and ProgramMode hold 16-bit values; Top and Left convert to Long. A value that
// does not fit or convert leaves the property as it was.
TEST_F(ModuleObjectTest, NumericPropertiesConvertOrKeepTheirValue) {
    auto& m = make();
    using Setter = void (module::ModuleObject::*)(std::int32_t) noexcept;
    using Getter = std::int32_t (module::ModuleObject::*)() const noexcept;
    const std::vector<std::pair<Setter, Getter>> sixteen_bit = {
        {&module::ModuleObject::SetWindowState, &module::ModuleObject::WindowState},
        {&module::ModuleObject::SetProgramMode, &module::ModuleObject::ProgramMode}};
    for (const auto& [set, get] : sixteen_bit) {
        for (const auto& [value, expected] : std::vector<std::pair<std::int32_t, std::int32_t>>{
                 {2, 2}, {32767, 32767}, {-32768, -32768}, {32768, 7}, {-32769, 7}, {2147483647, 7}}) {
            (m.*set)(7);
            (m.*set)(value);
            EXPECT_EQ((m.*get)(), expected) << value;
        }
    }
    const std::vector<std::pair<Variant, std::int32_t>> positions = {
        {"123", 123}, {45.6, 46}, {-10, -10}, {Variant(), 0}, {"abc", 7}, {ado::Null, 7}, {3e9, 7}};
    for (const auto& [value, expected] : positions) {
        SCOPED_TRACE(expected);
        m.SetTop(7);
        m.SetTop(value);
        EXPECT_EQ(m.Top().type(), ado::VarType::Long);
        EXPECT_EQ(m.Top(), Variant(expected));
        m.SetLeft(7);
        m.SetLeft(value);
        EXPECT_EQ(m.Left(), Variant(expected));
    }
}

TEST_F(ModuleObjectTest, StoredPropertiesComeBackAsSet) {
    auto& m = make();
    m.SetHwndParent(4242);
    m.SetFiltro("CG41_ANNO = 2024");
    m.SetMenuModulo(1);
    m.SetMenuPadre("P");
    m.SetMenuProg(ado::Null);
    m.SetCanInsert(true);
    m.SetCanQbe(true);
    m.SetIsCalled(true);
    m.SetIsScheduled(true);
    m.SetScheduleCode("S1");
    EXPECT_EQ(m.HwndParent(), 4242);
    EXPECT_EQ(m.Filtro(), Variant("CG41_ANNO = 2024"));
    EXPECT_EQ(m.MenuModulo(), Variant(1));
    EXPECT_EQ(m.MenuPadre(), Variant("P"));
    EXPECT_TRUE(m.MenuProg().is_null());
    EXPECT_TRUE(m.CanInsert() && m.CanQbe() && m.IsCalled() && m.IsScheduled());
    EXPECT_FALSE(m.CanDelete() || m.IsActive());
    EXPECT_EQ(m.ScheduleCode(), Variant("S1"));
    EXPECT_EQ(m.ObjApplication()->Title(), module_test::kTitle);
    EXPECT_EQ(m.ActiveDll(), &m);
    EXPECT_EQ(m.Cwindow(), nullptr);
}

// Each object (module and window) traces INI at creation and TER at destruction under an
// identifier of its own; a module released without CloseForm calls nobody.
TEST_F(ModuleObjectTest, ModuleAndWindowTraceTheirOwnIdentifiers) {
    make().ShowForm();
    const auto before = host.calls->size();
    make();  // replaces (destroys) the first
    EXPECT_EQ(host.calls->size(), before);
    object.reset();
    const std::regex form("KVTR:\\|[0-9A-F]{32}\\|(INI|TER)\\|ZIZO_LEDGERINTAKE\\|(CLS|FRM)CG_LEDGERINTAKE");
    Calls phases, ids;
    for (const auto& line : trace->lines) {
        EXPECT_TRUE(std::regex_match(line, form)) << line;
        const auto f = scripted::trace_fields(line);
        phases.push_back(f[2] + " " + f[4]);
        ids.push_back(f[1]);
    }
    EXPECT_EQ(phases, (Calls{"INI CLSCG_LEDGERINTAKE", "INI FRMCG_LEDGERINTAKE", "INI CLSCG_LEDGERINTAKE",
                             "TER CLSCG_LEDGERINTAKE", "TER FRMCG_LEDGERINTAKE", "TER CLSCG_LEDGERINTAKE"}));
    // first module, its window, second module; TER in the same order
    ASSERT_EQ(ids.size(), 6u);
    EXPECT_EQ(Calls(ids.begin(), ids.begin() + 3), Calls(ids.begin() + 3, ids.end()));
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), 3u);
}

struct CaptionCase {
    const char* name;
    Variant caption;
    std::string shown;
};

class ShowFormCaption : public ModuleObjectTest, public ::testing::WithParamInterface<CaptionCase> {};

// A modeless show returns at once with the window up, under the requested caption or the
// default one.
TEST_P(ShowFormCaption, IsTheRequestedOneOrTheDefault) {
    auto& m = make();
    m.SetCaption(GetParam().caption);
    EXPECT_TRUE(m.ShowForm().is_empty());
    ASSERT_NE(m.CurrentWindow(), nullptr);
    EXPECT_EQ(m.CurrentWindow()->Caption(), GetParam().shown);
    EXPECT_EQ(ui->shown, (Calls{"created", "modeless:" + GetParam().shown}));
    EXPECT_TRUE(m.CurrentWindow()->IsVisible());
}

INSTANTIATE_TEST_SUITE_P(Captions, ShowFormCaption,
                         ::testing::Values(CaptionCase{"empty", Variant(), kDefaultCaption},
                                           CaptionCase{"empty text", "", kDefaultCaption},
                                           CaptionCase{"blanks", "    ", kDefaultCaption},
                                           CaptionCase{"null", ado::Null, kDefaultCaption},
                                           CaptionCase{"text", "Import gruppo 2024", "Import gruppo 2024"},
                                           CaptionCase{"blanks kept around text", " padded ", " padded "},
                                           CaptionCase{"number", 123, "123"}),
                         scripted::ByName());

// A modal show, after the window was closed, returns when the user closes it.
TEST_F(ModuleObjectTest, AModalShowReturnsWhenTheUserClosesTheWindow) {
    auto& m = make();
    m.SetCaption(123);
    m.ShowForm();
    EXPECT_TRUE(m.CloseForm().to_bool());
    ui->shown.clear();
    m.SetWindowModal(true);
    bool open_during_modal = false;
    ui->user = [&](module::Window& window) {
        open_during_modal = window.IsLoaded();
        window.Unload();  // the user closes the window
    };
    EXPECT_TRUE(m.ShowForm().is_empty());
    EXPECT_TRUE(open_during_modal);
    EXPECT_EQ(ui->shown, (Calls{"created", "modal:123", "modal returned (closed)"}));
    EXPECT_FALSE(m.CurrentWindow()->IsLoaded());
}

// The company data as the host gives it; when missing it counts as zero and empty.
class LoadAndFirstActivation : public ModuleObjectTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LoadAndFirstActivation, SetUpTheModuleAndRegisterTheWindow) {
    const bool given = GetParam();
    host.global->company->code = given ? Variant(42) : Variant(ado::Null);
    if (given) {
        host.global->settings->group = std::int16_t{3};
        host.global->settings->second = std::int16_t{9};
    } else {
        host.global->settings.reset();
        host.global->accounts.reset();
    }
    auto& m = make();
    m.ShowForm();

    EXPECT_EQ(host.calls->calls(),
              (Calls{"Classes.CreateLogObject", "Log.Initialise", "Classes.CreateConnectionFactory",
                     "ConnectionFactory.NewConnection", "Classes.CreateDateObject",
                     "Classes.CreateUtilityObject", "ClsGlobal.SetCurrentModule",
                     "Navigator.SetFrameStatus(2)", "Navigator.Refresh", "Navigator.Notify",
                     "Navigator.Notify", "Forms.Register(1001,0,1,'')", "ClsGlobal.SetApplication"}));
    EXPECT_EQ(log().initialised_with, &m);
    EXPECT_TRUE(log().shown.empty());
    ASSERT_NE(m.Connection(), nullptr);
    EXPECT_EQ(m.Connection(), host.components().connection_factory->handed_out.back());
    EXPECT_EQ(m.Connection()->State(), ado::adStateOpen);
    EXPECT_EQ(m.Connection()->ConnectionString(), host.global->database->connection_string);
    EXPECT_EQ(host.global->current_module, &m);
    EXPECT_EQ(host.global->application, m.ObjApplication());
    EXPECT_EQ(m.Cwindow(), nullptr);  // never set, even with a window open

    const module::ModuleState& state = m.context().state();
    EXPECT_EQ(state.connection, m.Connection());
    EXPECT_EQ(state.connection_string, host.global->database->connection_string);
    EXPECT_NE(state.date_object, nullptr);
    EXPECT_EQ(state.company.company_code, given ? 42 : 0);
    EXPECT_EQ(state.company.chart_of_accounts_group, given ? 3 : 0);
    EXPECT_EQ(state.company.second_setting, given ? 9 : 0);
    EXPECT_EQ(state.company.customer_account, given ? "1101" : "");
    EXPECT_EQ(state.company.supplier_account, given ? "2101" : "");

    // Later activations repeat nothing.
    const auto mark = host.calls->size();
    m.CurrentWindow()->Activate();
    EXPECT_EQ(host.calls->since(mark), Calls{});
}

INSTANTIATE_TEST_SUITE_P(CompanyData, LoadAndFirstActivation, ::testing::Bool(),
                         [](const auto& given) { return given.param ? "Given" : "Missing"; });

// The import window shell with the resources the full window keeps: a record set and a
// numbering request.
class ShellWithResources : public module::ImportWindowShell {
  public:
    ShellWithResources(module::ModuleContext& context, scripted::CallLogPtr calls)
        : ImportWindowShell(context), calls_(std::move(calls)) {}
    ado::RecordsetPtr recordset;
    std::shared_ptr<scripted::Numbering> numbering;

  protected:
    void OnLoad() noexcept override {
        ImportWindowShell::OnLoad();
        recordset = ado::Recordset::from_rows({{scripted::column("X", ado::adInteger)}, {{Variant(1)}}});
        recordsets().push_back(recordset);
        numbering = std::make_shared<scripted::Numbering>(calls_);
        numbering->SetConnection(context().state().connection);
        numbering_requests()[1] = numbering;
    }

  private:
    scripted::CallLogPtr calls_;
};

TEST_F(ModuleObjectTest, CloseFormUnloadsInTheFixedOrderAndReportsTheWindowGone) {
    auto& m = make([&](module::ModuleContext& context) {
        return std::make_unique<ShellWithResources>(context, host.calls);
    });
    m.ShowForm();
    const auto connection = m.Connection();
    auto* window = dynamic_cast<ShellWithResources*>(m.CurrentWindow());
    ASSERT_NE(window, nullptr);
    const auto mark = host.calls->size();

    EXPECT_EQ(m.CloseForm(), Variant(true));

    EXPECT_EQ(
        host.calls->since(mark),
        (Calls{// close request: navigator refresh, then unregistration and the host's answer
               "ClsGlobal.SetCurrentModule", "Navigator.SetFrameStatus(2)", "Navigator.Refresh",
               "Navigator.Notify", "Forms.Register(1001,0,0,'')", "Forms.CloseAnswer",
               // unload: numbering detached, host told, connection closed, module detached
               "Numbering.SetConnection(none)", "ClsGlobal.ModuleReleasing", "Forms.RemoveMenuItem(1001)",
               "Navigator.ClearCurrentModule", "ClsGlobal.DropModuleReferences", "Log.Terminate"}));
    EXPECT_EQ(window->recordset->State(), ado::adStateClosed);
    EXPECT_EQ(window->numbering->connection, nullptr);
    EXPECT_EQ(connection->State(), ado::adStateClosed);
    EXPECT_EQ(m.ClsGlobal(), nullptr);
    EXPECT_EQ(m.ActiveNavigator(), nullptr);
    EXPECT_EQ(m.Connection(), nullptr);
    EXPECT_EQ(m.ActiveDll(), nullptr);
    EXPECT_EQ(host.global->current_module, nullptr);
    EXPECT_TRUE(log().terminated);
    const module::ModuleState& state = m.context().state();
    EXPECT_EQ(state.log, nullptr);
    EXPECT_EQ(state.connection, nullptr);
    EXPECT_EQ(state.date_object, nullptr);
    EXPECT_FALSE(m.CurrentWindow()->IsLoaded());
}

TEST_F(ModuleObjectTest, ARefusedCloseKeepsTheWindowOpenAndCloseFormReturnsFalse) {
    auto& m = make();
    EXPECT_EQ(m.CloseForm(), Variant(true));  // nothing open: gone already, nobody called
    EXPECT_TRUE(host.calls->calls().empty());
    m.ShowForm();
    host.forms().close_answer = 1;
    const auto mark = host.calls->size();

    EXPECT_EQ(m.CloseForm(), Variant(false));
    EXPECT_TRUE(m.CurrentWindow()->IsLoaded());
    EXPECT_EQ(host.calls->since(mark).back(), "Forms.CloseAnswer");
    EXPECT_FALSE(host.calls->contains("ClsGlobal.ModuleReleasing"));
    EXPECT_EQ(m.ClsGlobal(), host.global);
    EXPECT_EQ(m.Connection()->State(), ado::adStateOpen);

    host.forms().close_answer = 0;
    EXPECT_EQ(m.CloseForm(), Variant(true));
    EXPECT_FALSE(m.CurrentWindow()->IsLoaded());
}

TEST_F(ModuleObjectTest, TransferDataRaisesDataTransferWithItsArgument) {
    auto& m = make();
    std::vector<Variant> first, second;
    const auto cookie = m.AdviseDataTransfer([&](const Variant& data) { first.push_back(data); });
    m.AdviseDataTransfer([&](const Variant& data) { second.push_back(data); });
    m.AdviseDataTransfer([](const Variant&) { throw std::runtime_error("handler fails"); });

    EXPECT_TRUE(m.TransferData("payload").is_empty());
    m.UnadviseDataTransfer(cookie);
    EXPECT_TRUE(m.TransferData(5).is_empty());

    EXPECT_EQ(first, std::vector<Variant>{Variant("payload")});
    EXPECT_EQ(second, (std::vector<Variant>{Variant("payload"), Variant(5)}));
}

}  // namespace

namespace {

// Each ShowForm makes a new window; one still open stays open and CloseForm closes the
// newest.
TEST_F(ModuleObjectTest, EveryShowFormMakesANewWindow) {
    auto& m = make();
    m.ShowForm();
    module::Window* first = m.CurrentWindow();
    m.ShowForm();
    module::Window* second = m.CurrentWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_TRUE(first->IsLoaded());
    EXPECT_TRUE(m.CloseForm().to_bool());
    EXPECT_FALSE(second->IsLoaded());
    EXPECT_TRUE(first->IsLoaded());
    EXPECT_TRUE(first->Unload());
}

}  // namespace
