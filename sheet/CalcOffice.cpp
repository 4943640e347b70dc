#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include "sheet/CalcUno.h"

namespace qm::sheet {

using namespace calc;

namespace calc {

SheetStatus Guard(const std::function<void()>& body) {
    try {
        body();
        return SheetStatus::Ok();
    } catch (const css::lang::DisposedException& e) {
        return SheetStatus::Fail("The office is no longer there (" + S(e.Message) + ").");
    } catch (const css::uno::Exception& e) {
        const std::string text = S(e.Message);
        return SheetStatus::Fail(text.empty() ? "The office refused the call." : text);
    } catch (const std::exception& e) {
        return SheetStatus::Fail(e.what());
    } catch (...) {
        return SheetStatus::Fail("The office refused the call.");
    }
}

}  // namespace calc

namespace {

namespace fs = std::filesystem;

// The UNO runtime of this process, started once: it finds its type
// libraries through the office's own bootstrap file.
SheetResult<Reference<css::uno::XComponentContext>> LocalContext() {
    static std::mutex mutex;
    static Reference<css::uno::XComponentContext> context;
    std::lock_guard lock(mutex);
    if (context.is()) return context;
    // An office that dies leaves the bridge writing into a closed pipe: that
    // must be an error the calls report, not a signal that ends this program.
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);
    const SheetStatus s = Guard([&] {
        rtl::Bootstrap::set("URE_BOOTSTRAP",
                            U("vnd.sun.star.pathname:" + OfficeProgramDir() + "/fundamentalrc"));
        context = cppu::defaultBootstrap_InitialComponentContext();
    });
    if (!s) return s;
    return context;
}

std::string NormalisedUrl(std::string url) {
    if (url.rfind("uno:", 0) != 0) url = "uno:" + url;
    if (url.find(";urp") == std::string::npos) url += ";urp;";
    if (url.back() == ';') url += "StarOffice.ComponentContext";
    return url;
}

std::string UniquePipeName() {
    static std::atomic<int> counter{0};
    return "qm_link_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
}

// Reading and writing no file descriptor of ours: the office must not hold
// a meter's session or a test's pipe open.
pid_t SpawnOffice(const std::vector<std::string>& args, bool dieWithUs) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // Child: only async-signal-safe calls from here to exec.
    setsid();
    if (dieWithUs) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
    }
    const int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(devnull, 2);
    }
    close_range(3, ~0U, 0);
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

CalcOffice::CalcOffice(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}

CalcOffice::~CalcOffice() { Shutdown(); }

std::string CalcOffice::UrlFor(const std::string& accept) { return NormalisedUrl(accept); }

bool UnoRuntimeReady(std::string* why) {
    auto local = LocalContext();
    if (!local && why) *why = local.description();
    return local.ok();
}

namespace {

// An office that has just made a fresh profile ends with this code and
// wants to be started again (its launcher would do that).
constexpr int kRestartRequested = 81;
constexpr const char* kRestartText = "The office asked to be started again.";

// Resolves the URL until the deadline; false (with the last reason) when the
// office never answered or, when `pid` is set, ended first.
SheetStatus ResolveUntil(CalcOffice::Impl& impl, const std::string& url,
                         std::chrono::steady_clock::time_point deadline) {
    auto local = LocalContext();
    if (!local) return local.status();
    Reference<css::bridge::XUnoUrlResolver> resolver;
    if (auto s = Guard([&] { resolver = css::bridge::UnoUrlResolver::create(local.value()); }); !s)
        return s;
    std::string last;
    for (;;) {
        Reference<css::uno::XInterface> remote;
        bool notYet = false;
        const SheetStatus s = Guard([&] {
            try {
                remote = resolver->resolve(U(url));
            } catch (const css::connection::NoConnectException&) {
                notYet = true;  // nobody listens there (yet)
                throw;
            }
        });
        if (!s && !notYet) return s;  // a malformed URL or a refusal: no use trying again
        if (s && remote.is()) {
            return Guard([&] {
                impl.connection->context.set(remote, UNO_QUERY_THROW);
                impl.connection->desktop = css::frame::Desktop::create(impl.connection->context);
            });
        }
        last = s.description();
        if (impl.pid > 0) {
            int status = 0;
            if (waitpid(impl.pid, &status, WNOHANG) == impl.pid) {
                impl.pid = 0;
                // An office that already ran for this profile took the request
                // (and opens the pipe); the process started here has ended.
                if (impl.handOver && WIFEXITED(status) && WEXITSTATUS(status) == 0) continue;
                if (WIFEXITED(status) && WEXITSTATUS(status) == kRestartRequested)
                    return SheetStatus::Fail(kRestartText);
                return SheetStatus::Fail("The office ended while starting (status " +
                                         std::to_string(status) + ").");
            }
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return SheetStatus::Fail("The office did not answer at " + url + " in time: " + last);
        // Waiting for another process to open its pipe: nothing to be told by.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace

SheetResult<std::shared_ptr<CalcOffice>> CalcOffice::Start(const CalcStartOptions& options) {
    auto impl = std::make_shared<Impl>();
    const std::string pipe = options.pipeName.empty() ? UniquePipeName() : options.pipeName;
    const std::string accept = "pipe,name=" + pipe + ";urp;";
    std::vector<std::string> args = {OfficeProgramDir() + "/soffice.bin", "--nologo", "--norestore",
                                     "--nodefault", "--nolockcheck", "--nofirststartwizard",
                                     "--accept=" + accept};
    if (options.headless) {
        args.push_back("--headless");
        args.push_back("--invisible");
    }
    if (!options.profileDir.empty()) {
        std::error_code ec;
        fs::create_directories(options.profileDir, ec);
        impl->profileDir = options.profileDir;
        impl->removeProfile = options.removeProfile;
        args.push_back("-env:UserInstallation=file://" + fs::absolute(options.profileDir).string());
    }
    impl->leaveRunning = !options.headless;
    impl->handOver = options.handOver;
    auto office = std::shared_ptr<CalcOffice>(new CalcOffice(impl));
    const auto deadline = std::chrono::steady_clock::now() + options.startTimeout;
    SheetStatus s;
    for (int attempt = 0; attempt < 3; ++attempt) {
        impl->pid = SpawnOffice(args, options.headless);
        if (impl->pid < 0) {
            impl->pid = 0;
            return SheetStatus::Fail(std::string("cannot start the office: ") + std::strerror(errno));
        }
        s = ResolveUntil(*impl, NormalisedUrl(accept), deadline);
        if (s || s.description() != kRestartText) break;
    }
    if (!s) {
        impl->leaveRunning = false;
        office->Shutdown();
        return s;
    }
    return office;
}

SheetResult<std::shared_ptr<CalcOffice>> CalcOffice::Connect(const std::string& unoUrl,
                                                             std::chrono::milliseconds timeout) {
    auto impl = std::make_shared<Impl>();
    const SheetStatus s =
        ResolveUntil(*impl, NormalisedUrl(unoUrl), std::chrono::steady_clock::now() + timeout);
    if (!s) return s;
    return std::shared_ptr<CalcOffice>(new CalcOffice(impl));
}

int CalcOffice::pid() const { return impl_->pid; }
bool CalcOffice::started() const { return impl_->pid > 0; }

std::string CalcOffice::Version() {
    if (!impl_->version.empty()) return impl_->version;
    (void)Guard([&] {
        Reference<css::lang::XMultiServiceFactory> provider(
            impl_->connection->context->getServiceManager()->createInstanceWithContext(
                "com.sun.star.configuration.ConfigurationProvider", impl_->connection->context),
            UNO_QUERY_THROW);
        css::beans::NamedValue path;
        path.Name = "nodepath";
        path.Value <<= rtl::OUString("/org.openoffice.Setup/Product");
        css::uno::Sequence<css::uno::Any> args(1);
        args.getArray()[0] <<= path;
        Reference<css::container::XNameAccess> product(
            provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationAccess",
                                                  args),
            UNO_QUERY_THROW);
        rtl::OUString v;
        product->getByName("ooSetupVersion") >>= v;
        impl_->version = S(v);
    });
    return impl_->version;
}

void CalcOffice::Shutdown() {
    if (impl_->shutDown) return;
    impl_->shutDown = true;
    if (impl_->pid > 0 && impl_->leaveRunning) {
        impl_->pid = 0;  // the user's office now: it ends when the user closes it
    } else if (impl_->pid > 0) {
        // Ask the office to end; a hung office gets a few seconds, then the signal.
        auto desktop = impl_->connection->desktop;
        if (desktop.is()) {
            auto ending = std::async(std::launch::async, [desktop] {
                (void)Guard([&] { desktop->terminate(); });
            });
            if (ending.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
                kill(-impl_->pid, SIGKILL);
            ending.wait();
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int status = 0;
        while (waitpid(impl_->pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                kill(-impl_->pid, SIGKILL);
                waitpid(impl_->pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(-impl_->pid, SIGKILL);  // anything the office left in its group
        impl_->pid = 0;
    }
    impl_->connection->desktop.clear();
    impl_->connection->context.clear();
    if (impl_->removeProfile && !impl_->profileDir.empty()) {
        std::error_code ec;
        fs::remove_all(impl_->profileDir, ec);
    }
}

namespace {

css::uno::Sequence<css::beans::PropertyValue> LoadArguments(bool hidden) {
    css::uno::Sequence<css::beans::PropertyValue> args(1);
    args.getArray()[0].Name = "Hidden";
    args.getArray()[0].Value <<= hidden;
    return args;
}

}  // namespace

SheetResult<std::shared_ptr<CalcDocument>> CalcOffice::NewDocument(bool hidden) {
    return OpenDocument(std::string(), hidden);
}

SheetResult<std::shared_ptr<CalcDocument>> CalcOffice::OpenDocument(const std::string& path,
                                                                    bool hidden) {
    auto doc = std::make_shared<CalcDocument::Impl>();
    doc->connection = impl_->connection;
    doc->version = Version();
    const SheetStatus s = Guard([&] {
        if (!impl_->connection->desktop.is()) throw css::uno::RuntimeException("not connected");
        const rtl::OUString url =
            path.empty() ? rtl::OUString("private:factory/scalc")
                         : U("file://" + fs::absolute(path).string());
        doc->component = impl_->connection->desktop->loadComponentFromURL(url, "_blank", 0,
                                                                          LoadArguments(hidden));
        doc->document.set(doc->component, UNO_QUERY_THROW);
    });
    if (!s) return s;
    return std::make_shared<CalcDocument>(doc);
}

}  // namespace qm::sheet
