// The add-in's side of a live office: extensions of the user profile, Calc's
// toolbars, the open spreadsheets and Writer documents from templates.
#include "sheet/CalcAddin.h"

#include <com/sun/star/beans/Ambiguous.hpp>
#include <com/sun/star/beans/Optional.hpp>
#include <com/sun/star/container/XIndexContainer.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/deployment/ExtensionManager.hpp>
#include <com/sun/star/deployment/XPackage.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XLayoutManager.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/task/XInteractionApprove.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/ucb/XCommandEnvironment.hpp>
#include <com/sun/star/ucb/XProgressHandler.hpp>
#include <com/sun/star/script/provider/XScript.hpp>
#include <com/sun/star/script/provider/XScriptProvider.hpp>
#include <com/sun/star/script/provider/theMasterScriptProviderFactory.hpp>
#include <com/sun/star/ui/UIElementType.hpp>
#include <com/sun/star/ui/XUIConfigurationManager.hpp>
#include <com/sun/star/ui/XUIConfigurationManagerSupplier.hpp>
#include <com/sun/star/ui/XUIConfigurationPersistence.hpp>
#include <com/sun/star/ui/theModuleUIConfigurationManagerSupplier.hpp>
#include <com/sun/star/ui/theWindowStateConfiguration.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <cppuhelper/implbase3.hxx>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "sheet/CalcUno.h"

namespace qm::sheet {

using namespace calc;
using css::uno::Any;
using css::uno::Sequence;

namespace {

namespace fs = std::filesystem;

constexpr const char* kCalcModule = "com.sun.star.sheet.SpreadsheetDocument";
constexpr const char* kToolbarUrl = "private:resource/toolbar/custom_varnet_qm_link";
// A disabled control keeps its macro behind a protocol that nothing serves,
// so the toolbar shows it greyed out.
constexpr const char* kDisabledPrefix = "vnd.varnet.qmlink.disabled:";
constexpr const char* kMacroPrefix = "vnd.sun.star.script:QMLink.Link.";
constexpr const char* kMacroSuffix = "?language=Basic&location=application";

css::beans::PropertyValue Property(const char* name, Any value) {
    css::beans::PropertyValue p;
    p.Name = rtl::OUString::createFromAscii(name);
    p.Value = std::move(value);
    return p;
}

// Answers every question of the extension manager as a user who clicks OK
// would (there is no license to accept); progress goes nowhere.
class QuietEnvironment
    : public cppu::WeakImplHelper3<css::ucb::XCommandEnvironment, css::task::XInteractionHandler,
                                  css::ucb::XProgressHandler> {
  public:
    Reference<css::task::XInteractionHandler> SAL_CALL getInteractionHandler() override { return this; }
    Reference<css::ucb::XProgressHandler> SAL_CALL getProgressHandler() override { return this; }
    void SAL_CALL handle(const Reference<css::task::XInteractionRequest>& request) override {
        const auto continuations = request->getContinuations();
        for (const auto& c : continuations) {
            Reference<css::task::XInteractionApprove> approve(c, UNO_QUERY);
            if (approve.is()) {
                approve->select();
                return;
            }
        }
        for (const auto& c : continuations) {
            Reference<css::task::XInteractionAbort> abort(c, UNO_QUERY);
            if (abort.is()) {
                abort->select();
                return;
            }
        }
    }
    void SAL_CALL push(const Any&) override {}
    void SAL_CALL update(const Any&) override {}
    void SAL_CALL pop() override {}
};

Reference<css::uno::XComponentContext> ContextOf(CalcOffice& office) {
    const auto& connection = office.impl()->connection;
    if (!connection->context.is()) throw css::uno::RuntimeException(U("The office is not connected."));
    return connection->context;
}

Reference<css::deployment::XExtensionManager> Extensions(CalcOffice& office) {
    return css::deployment::ExtensionManager::get(ContextOf(office));
}

ExtensionInfo InfoOf(const Reference<css::deployment::XPackage>& p,
                     const Reference<css::ucb::XCommandEnvironment>& env) {
    ExtensionInfo info;
    const auto id = p->getIdentifier();
    if (id.IsPresent) info.identifier = S(id.Value);
    info.fileName = S(p->getName());
    info.displayName = S(p->getDisplayName());
    info.version = S(p->getVersion());
    const auto registered = p->isRegistered(Reference<css::task::XAbortChannel>(), env);
    info.enabled = registered.IsPresent && !registered.Value.IsAmbiguous && registered.Value.Value;
    return info;
}

Sequence<Reference<css::deployment::XPackage>> UserPackages(
    CalcOffice& office, const Reference<css::ucb::XCommandEnvironment>& env) {
    return Extensions(office)->getDeployedExtensions("user", Reference<css::task::XAbortChannel>(), env);
}

Reference<css::ui::XUIConfigurationManager> CalcUiConfiguration(CalcOffice& office) {
    return css::ui::theModuleUIConfigurationManagerSupplier::get(ContextOf(office))
        ->getUIConfigurationManager(U(kCalcModule));
}

Reference<css::container::XNameContainer> CalcWindowStates(CalcOffice& office) {
    Reference<css::container::XNameAccess> states =
        css::ui::theWindowStateConfiguration::get(ContextOf(office));
    return Reference<css::container::XNameContainer>(states->getByName(U(kCalcModule)), UNO_QUERY_THROW);
}

bool IsSpreadsheet(const Reference<css::uno::XInterface>& component) {
    Reference<css::lang::XServiceInfo> info(component, UNO_QUERY);
    return info.is() && info->supportsService(U(kCalcModule));
}

// Every frame of the office that shows a document (its layout manager
// places toolbars).
std::vector<Reference<css::frame::XLayoutManager>> Layouts(CalcOffice& office, bool spreadsheetsOnly) {
    std::vector<Reference<css::frame::XLayoutManager>> layouts;
    auto desktop = office.impl()->connection->desktop;
    if (!desktop.is()) return layouts;
    Reference<css::container::XEnumeration> e = desktop->getComponents()->createEnumeration();
    while (e->hasMoreElements()) {
        Reference<css::frame::XModel> model(e->nextElement(), UNO_QUERY);
        if (!model.is() || (spreadsheetsOnly && !IsSpreadsheet(model))) continue;
        Reference<css::frame::XController> controller = model->getCurrentController();
        if (!controller.is()) continue;
        Reference<css::beans::XPropertySet> frame(controller->getFrame(), UNO_QUERY);
        if (!frame.is()) continue;
        Reference<css::frame::XLayoutManager> layout(frame->getPropertyValue("LayoutManager"), UNO_QUERY);
        if (layout.is()) layouts.push_back(layout);
    }
    return layouts;
}

std::vector<ToolbarInfo> ToolbarsOf(const Reference<css::ui::XUIConfigurationManager>& ui) {
    std::vector<ToolbarInfo> bars;
    const auto infos = ui->getUIElementsInfo(css::ui::UIElementType::TOOLBAR);
    for (const auto& info : infos) {
        ToolbarInfo bar;
        for (const auto& p : info) {
            rtl::OUString text;
            if (p.Name == "ResourceURL" && (p.Value >>= text)) bar.resourceUrl = S(text);
            if (p.Name == "UIName" && (p.Value >>= text)) bar.uiName = S(text);
        }
        // Only toolbars a user or an add-in made carry their items here.
        if (bar.resourceUrl.find("/custom_") == std::string::npos) continue;
        Reference<css::container::XIndexAccess> items = ui->getSettings(U(bar.resourceUrl), false);
        Reference<css::beans::XPropertySet> props(items, UNO_QUERY);
        rtl::OUString uiName;
        if (props.is() && (props->getPropertyValue("UIName") >>= uiName) && !uiName.isEmpty())
            bar.uiName = S(uiName);
        bar.controls = ToolbarControls(items);
        bars.push_back(std::move(bar));
    }
    return bars;
}

}  // namespace

namespace calc {

Sequence<css::beans::PropertyValue> ToolbarItem(const CommandBarControl& c) {
    const std::string command = (c.enabled ? std::string() : std::string(kDisabledPrefix)) +
                                kMacroPrefix + c.macro + kMacroSuffix;
    Sequence<css::beans::PropertyValue> item(6);
    auto* p = item.getArray();
    p[0] = Property("CommandURL", Any(U(command)));
    p[1] = Property("Label", Any(U(c.tip)));
    p[2] = Property("Tooltip", Any(U(c.tip)));
    p[3] = Property("Type", Any(sal_Int16(0)));
    p[4] = Property("Style", Any(sal_Int16(0)));
    p[5] = Property("IsVisible", Any(c.visible));
    return item;
}

std::vector<CommandBarControl> ToolbarControls(const Reference<css::container::XIndexAccess>& items) {
    std::vector<CommandBarControl> controls;
    if (!items.is()) return controls;
    for (sal_Int32 i = 0; i < items->getCount(); ++i) {
        Sequence<css::beans::PropertyValue> item;
        items->getByIndex(i) >>= item;
        CommandBarControl c;
        for (const auto& p : item) {
            rtl::OUString text;
            if (p.Name == "CommandURL" && (p.Value >>= text)) {
                std::string url = S(text);
                c.enabled = url.rfind(kDisabledPrefix, 0) != 0;
                if (!c.enabled) url.erase(0, std::strlen(kDisabledPrefix));
                if (url.rfind(kMacroPrefix, 0) == 0) url.erase(0, std::strlen(kMacroPrefix));
                c.macro = url.substr(0, url.find('?'));
            } else if (p.Name == "Tooltip" && (p.Value >>= text)) {
                c.tip = S(text);
            } else if (p.Name == "Label" && (p.Value >>= text) && c.tip.empty()) {
                c.tip = S(text);
            } else if (p.Name == "IsVisible") {
                p.Value >>= c.visible;
            }
        }
        controls.push_back(c);
    }
    return controls;
}

}  // namespace calc

std::string OfficeProgramDir() {
    const char* dir = std::getenv("QM_LO_PROGRAM_DIR");
    return dir && *dir ? std::string(dir) : std::string(QM_LO_PROGRAM_DIR);
}

bool CalcInstalled(std::string* why) {
    const fs::path dir = OfficeProgramDir();
    std::error_code ec;
    for (const char* file : {"soffice.bin", "libsclo.so"}) {
        if (!fs::exists(dir / file, ec)) {
            if (why)
                *why = std::string("LibreOffice Calc is not installed (") + (dir / file).string() +
                       " is missing). Install the package libreoffice-calc.";
            return false;
        }
    }
    return true;
}

std::string AddinToolbarUrl() { return kToolbarUrl; }

SheetResult<std::vector<ExtensionInfo>> UserExtensions(CalcOffice& office) {
    std::vector<ExtensionInfo> list;
    const SheetStatus s = Guard([&] {
        Reference<css::ucb::XCommandEnvironment> env(new QuietEnvironment);
        for (const auto& p : UserPackages(office, env))
            if (p.is()) list.push_back(InfoOf(p, env));
    });
    if (!s) return s;
    return list;
}

SheetResult<ExtensionInfo> AddUserExtension(CalcOffice& office, const std::string& path) {
    ExtensionInfo info;
    const SheetStatus s = Guard([&] {
        Reference<css::ucb::XCommandEnvironment> env(new QuietEnvironment);
        auto manager = Extensions(office);
        const std::string url = "file://" + fs::absolute(path).lexically_normal().string();
        Reference<css::deployment::XPackage> p = manager->addExtension(
            U(url), Sequence<css::beans::NamedValue>(), "user", manager->createAbortChannel(), env);
        if (!p.is()) throw css::uno::RuntimeException(U("The office did not take " + path + "."));
        // A package that was there before, disabled, stays disabled: enable it.
        info = InfoOf(p, env);
        if (!info.enabled) {
            manager->enableExtension(p, manager->createAbortChannel(), env);
            info = InfoOf(p, env);
        }
    });
    if (!s) return s;
    return info;
}

SheetStatus DisableUserExtension(CalcOffice& office, const std::string& fileName) {
    return Guard([&] {
        Reference<css::ucb::XCommandEnvironment> env(new QuietEnvironment);
        auto manager = Extensions(office);
        for (const auto& p : UserPackages(office, env))
            if (p.is() && S(p->getName()) == fileName)
                manager->disableExtension(p, manager->createAbortChannel(), env);
    });
}

SheetResult<std::vector<ToolbarInfo>> CalcToolbars(CalcOffice& office) {
    std::vector<ToolbarInfo> bars;
    const SheetStatus s = Guard([&] { bars = ToolbarsOf(CalcUiConfiguration(office)); });
    if (!s) return s;
    return bars;
}

SheetStatus SetCalcToolbar(CalcOffice& office, const std::string& resourceUrl,
                           const std::string& uiName, std::span<const CommandBarControl> controls) {
    return Guard([&] {
        auto ui = CalcUiConfiguration(office);
        Reference<css::container::XIndexContainer> items(ui->createSettings(), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet>(items, UNO_QUERY_THROW)->setPropertyValue("UIName", Any(U(uiName)));
        sal_Int32 index = 0;
        for (const CommandBarControl& c : controls) items->insertByIndex(index++, Any(ToolbarItem(c)));
        const rtl::OUString url = U(resourceUrl);
        Reference<css::container::XIndexAccess> settings(items, UNO_QUERY_THROW);
        if (ui->hasSettings(url))
            ui->replaceSettings(url, settings);
        else
            ui->insertSettings(url, settings);
        Reference<css::ui::XUIConfigurationPersistence>(ui, UNO_QUERY_THROW)->store();

        // Shown in every spreadsheet window, now and in later ones.
        Sequence<css::beans::PropertyValue> state(3);
        state.getArray()[0] = Property("UIName", Any(U(uiName)));
        state.getArray()[1] = Property("Visible", Any(true));
        state.getArray()[2] = Property("Docked", Any(true));
        auto states = CalcWindowStates(office);
        if (states->hasByName(url))
            states->replaceByName(url, Any(state));
        else
            states->insertByName(url, Any(state));
        for (const auto& layout : Layouts(office, true)) {
            if (!layout->getElement(url).is()) layout->createElement(url);
            layout->showElement(url);
        }
    });
}

SheetStatus RemoveCalcToolbar(CalcOffice& office, const std::string& resourceUrl) {
    return Guard([&] {
        const rtl::OUString url = U(resourceUrl);
        for (const auto& layout : Layouts(office, false)) {
            layout->hideElement(url);
            layout->destroyElement(url);
        }
        auto ui = CalcUiConfiguration(office);
        if (ui->hasSettings(url)) {
            ui->removeSettings(url);
            Reference<css::ui::XUIConfigurationPersistence>(ui, UNO_QUERY_THROW)->store();
        }
        auto states = CalcWindowStates(office);
        if (states->hasByName(url)) states->removeByName(url);
        // The documents' own copies (the link engine's command bar).
        auto desktop = office.impl()->connection->desktop;
        Reference<css::container::XEnumeration> e = desktop->getComponents()->createEnumeration();
        while (e->hasMoreElements()) {
            Reference<css::ui::XUIConfigurationManagerSupplier> doc(e->nextElement(), UNO_QUERY);
            if (!doc.is()) continue;
            auto docUi = doc->getUIConfigurationManager();
            if (docUi.is() && docUi->hasSettings(url)) docUi->removeSettings(url);
        }
    });
}

SheetResult<std::vector<ToolbarInfo>> DocumentToolbars(CalcDocument& document) {
    std::vector<ToolbarInfo> bars;
    const SheetStatus s = Guard([&] {
        Reference<css::ui::XUIConfigurationManagerSupplier> supplier(document.impl()->document, UNO_QUERY_THROW);
        bars = ToolbarsOf(supplier->getUIConfigurationManager());
    });
    if (!s) return s;
    return bars;
}

namespace {

// Each document open in the office, in the office's order (inside Guard).
template <class Each>
void ForEachDocument(CalcOffice& office, Each each) {
    auto desktop = office.impl()->connection->desktop;
    if (!desktop.is()) throw css::uno::RuntimeException(U("The office is not connected."));
    Reference<css::container::XEnumeration> e = desktop->getComponents()->createEnumeration();
    while (e->hasMoreElements()) each(e->nextElement());
}

}  // namespace

SheetResult<std::vector<OpenSpreadsheet>> OpenSpreadsheets(CalcOffice& office) {
    std::vector<OpenSpreadsheet> docs;
    const SheetStatus s = Guard([&] {
        ForEachDocument(office, [&](const Any& element) {
            Reference<css::lang::XComponent> component(element, UNO_QUERY);
            if (!IsSpreadsheet(component)) return;
            auto impl = std::make_shared<CalcDocument::Impl>();
            impl->connection = office.impl()->connection;
            impl->component = component;
            impl->document.set(component, UNO_QUERY_THROW);
            impl->version = office.Version();
            auto doc = std::make_shared<CalcDocument>(impl);
            docs.push_back({doc->Title(), doc});
        });
    });
    if (!s) return s;
    return docs;
}

SheetStatus NewDocumentFromTemplate(CalcOffice& office, const std::string& path, bool hidden) {
    return Guard([&] {
        auto desktop = office.impl()->connection->desktop;
        if (!desktop.is()) throw css::uno::RuntimeException(U("The office is not connected."));
        Sequence<css::beans::PropertyValue> args(2);
        args.getArray()[0] = Property("AsTemplate", Any(true));
        args.getArray()[1] = Property("Hidden", Any(hidden));
        const std::string url = "file://" + fs::absolute(path).lexically_normal().string();
        auto doc = desktop->loadComponentFromURL(U(url), "_blank", 0, args);
        if (!doc.is()) throw css::uno::RuntimeException(U("The office could not open " + path + "."));
    });
}

SheetResult<std::vector<OpenTextDocument>> OpenTextDocuments(CalcOffice& office) {
    std::vector<OpenTextDocument> docs;
    const SheetStatus s = Guard([&] {
        ForEachDocument(office, [&](const Any& element) {
            Reference<css::text::XTextDocument> text(element, UNO_QUERY);
            if (!text.is()) return;
            OpenTextDocument d;
            if (Reference<css::frame::XTitle> t(text, UNO_QUERY); t.is()) d.title = S(t->getTitle());
            if (Reference<css::frame::XStorable> stored(text, UNO_QUERY); stored.is() && stored->hasLocation())
                d.location = S(stored->getLocation());
            d.text = S(text->getText()->getString());
            docs.push_back(std::move(d));
        });
    });
    if (!s) return s;
    return docs;
}

SheetStatus RunToolbarMacro(CalcOffice& office, const CommandBarControl& control) {
    return Guard([&] {
        auto provider = css::script::provider::theMasterScriptProviderFactory::get(ContextOf(office))
                            ->createScriptProvider(Any(rtl::OUString()));
        auto script = provider->getScript(U(kMacroPrefix + control.macro + kMacroSuffix));
        Sequence<sal_Int16> outIndex;
        Sequence<Any> out;
        script->invoke(Sequence<Any>(), outIndex, out);
    });
}

bool OfficeAlive(CalcOffice& office) {
    return Guard([&] {
        auto desktop = office.impl()->connection->desktop;
        if (!desktop.is()) throw css::uno::RuntimeException(U("not connected"));
        (void)desktop->getComponents();
    }).ok();
}

SheetResult<int> CalcDocument::AddSheet(const std::string& name) {
    int index = 0;
    const SheetStatus s = Guard([&] {
        Reference<css::sheet::XSpreadsheets> sheets = impl_->document->getSheets();
        Reference<css::container::XIndexAccess> byIndex(sheets, UNO_QUERY_THROW);
        std::string unique = name;
        for (int n = 2; sheets->hasByName(U(unique)); ++n) unique = name + " " + std::to_string(n);
        index = byIndex->getCount();
        sheets->insertNewByName(U(unique), static_cast<sal_Int16>(index));
    });
    if (!s) return s;
    return index;
}

std::string CalcDocument::Title() {
    std::string title;
    (void)Guard([&] {
        Reference<css::frame::XTitle> t(impl_->document, UNO_QUERY);
        if (t.is()) title = S(t->getTitle());
    });
    return title;
}

bool CalcDocument::Alive() {
    return Guard([&] {
        if (!impl_->document.is()) throw css::uno::RuntimeException(U("closed"));
        (void)impl_->document->getSheets();
    }).ok();
}

}  // namespace qm::sheet
