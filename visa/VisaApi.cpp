// The VISA C functions over VisaState: handles, resource search, sessions
// and their transfers.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>

#include "visa/ResourceExpression.h"
#include "visa/TransportFactory.h"
#include "visa/UsbtmcTransport.h"
#include "visa/VisaFormat.h"
#include "visa/VisaState.h"
#include "visa/visa.h"

using namespace qm::visa;

namespace {

template <typename T>
std::shared_ptr<T> lookup(ViObject handle) {
    VisaState& state = VisaState::instance();
    std::lock_guard lock(state.mutex);
    return state.find<T>(handle);
}

// Descriptor buffers are VI_FIND_BUFLEN characters by convention.
void copyDescriptor(ViChar* desc, const std::string& text) {
    if (!desc) return;
    const std::size_t n = std::min<std::size_t>(text.size(), VI_FIND_BUFLEN - 1);
    std::memcpy(desc, text.data(), n);
    desc[n] = '\0';
}

// A program that chose no table gets the one of its environment.
void ensureConfigured() {
    VisaState& state = VisaState::instance();
    {
        std::lock_guard lock(state.mutex);
        if (state.tableChosen) return;
    }
    const TableLoadResult result = configureFromEnvironment();
    if (!result.ok) std::fprintf(stderr, "%s\n", result.message.c_str());
}

// A transfer on a session whose link is gone fails the same way for ever.
ViStatus noteLoss(SessionObject& session, ViStatus status) {
    if (status == VI_ERROR_CONN_LOST) session.lost = true;
    return status;
}

ViStatus writeLocked(SessionObject& session, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
    if (session.lost) return VI_ERROR_CONN_LOST;
    std::size_t written = 0;
    const ViStatus status = session.transport->write(buf, cnt, written);
    if (retCnt) *retCnt = static_cast<ViUInt32>(written);
    return noteLoss(session, status);
}

}  // namespace

extern "C" {

ViStatus viOpenDefaultRM(ViPSession vi) {
    if (!vi) return VI_ERROR_INV_PARAMETER;
    *vi = VI_NULL;
    ensureConfigured();
    VisaState& state = VisaState::instance();
    std::lock_guard lock(state.mutex);
    const ViObject handle = state.newHandle();
    state.objects.emplace(handle, std::make_shared<ManagerObject>());
    *vi = handle;
    return VI_SUCCESS;
}

ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                    ViChar desc[]) {
    if (vi) *vi = VI_NULL;
    if (retCnt) *retCnt = 0;
    VisaState& state = VisaState::instance();
    std::lock_guard lock(state.mutex);
    if (!state.find<ManagerObject>(sesn)) return VI_ERROR_INV_OBJECT;
    if (!expr) return VI_ERROR_INV_EXPR;
    const std::optional<ResourceExpression> pattern = ResourceExpression::parse(expr);
    if (!pattern) return VI_ERROR_INV_EXPR;

    auto list = std::make_shared<FindListObject>();
    list->manager = sesn;
    const auto& entries = state.table.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        // A simulated meter that lost its link has left the bus.
        if (entries[i].backend == "sim" && state.simDevices->lost(i)) continue;
        // Searches see, and hand back, the canonical form whatever spelling
        // the table used ("usb0::4617::16641::sn3" is USB0::0x1209::0x4101::SN3::INSTR).
        const std::string& canonical = entries[i].name.canonical;
        if (pattern->matches(canonical)) list->matches.push_back(canonical);
    }
    // Meters on USB (kernel usbtmc driver) after the table's, each once: a
    // meter the table names in any spelling is the table's, as both are
    // compared in their canonical forms.
    for (const UsbtmcDevice& usb : enumerateUsbtmc())
        if (pattern->matches(usb.descriptor) && !state.table.find(usb.descriptor))
            list->matches.push_back(usb.descriptor);
    if (list->matches.empty()) return VI_ERROR_RSRC_NFOUND;
    copyDescriptor(desc, list->matches.front());
    if (retCnt) *retCnt = static_cast<ViUInt32>(list->matches.size());
    if (vi) {
        const ViObject handle = state.newHandle();
        state.objects.emplace(handle, std::move(list));
        *vi = handle;
    }
    return VI_SUCCESS;
}

ViStatus viFindNext(ViFindList vi, ViChar desc[]) {
    VisaState& state = VisaState::instance();
    std::lock_guard lock(state.mutex);
    const auto list = state.find<FindListObject>(vi);
    if (!list) return VI_ERROR_INV_OBJECT;
    if (list->next >= list->matches.size()) {
        copyDescriptor(desc, "");
        return VI_ERROR_RSRC_NFOUND;
    }
    copyDescriptor(desc, list->matches[list->next++]);
    return VI_SUCCESS;
}

ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 /*timeout*/,
                ViPSession vi) {
    if (vi) *vi = VI_NULL;
    VisaState& state = VisaState::instance();
    std::optional<ResourceEntry> entry;
    OpenContext context;
    std::optional<ResourceName> parsed;
    {
        std::lock_guard lock(state.mutex);
        if (!state.find<ManagerObject>(sesn)) return VI_ERROR_INV_OBJECT;
        if (!vi) return VI_ERROR_INV_PARAMETER;
        if (!name || !(parsed = parseResourceName(name))) return VI_ERROR_INV_RSRC_NAME;
        if (mode & ~static_cast<ViAccessMode>(VI_EXCLUSIVE_LOCK | VI_SHARED_LOCK | VI_LOAD_CONFIG))
            return VI_ERROR_INV_ACC_MODE;
        if (const ResourceEntry* found = state.table.find(name)) {
            entry = *found;
            context.simDevices = state.simDevices;
            context.entryIndex = state.table.indexOf(found);
        }
    }
    context.timeoutMs = kDefaultTimeoutMs;

    // Connecting may take a while: no lock held meanwhile.
    std::unique_ptr<Transport> transport;
    const ViStatus status = entry ? openTransport(*entry, context, transport)
                                  : openSocketTransport(*parsed, kDefaultTimeoutMs, transport);
    if (status != VI_SUCCESS) return status;

    auto session = std::make_shared<SessionObject>();
    session->manager = sesn;
    session->name = entry ? entry->name.canonical : parsed->canonical;
    session->parsed = *parsed;
    if (auto* sim = dynamic_cast<SimTransport*>(transport.get()))
        session->endpoint = &sim->endpoint();
    session->transport = std::move(transport);

    std::lock_guard lock(state.mutex);
    if (!state.find<ManagerObject>(sesn)) return VI_ERROR_INV_OBJECT;  // closed meanwhile
    const ViObject handle = state.newHandle();
    state.objects.emplace(handle, std::move(session));
    *vi = handle;
    return VI_SUCCESS;
}

ViStatus viClose(ViObject vi) {
    if (vi == VI_NULL) return VI_WARN_NULL_OBJECT;
    std::vector<VisaObject> closing;  // destroyed after the lock is released
    VisaState& state = VisaState::instance();
    std::lock_guard lock(state.mutex);
    const auto it = state.objects.find(vi);
    if (it == state.objects.end()) return VI_ERROR_INV_OBJECT;
    if (std::holds_alternative<std::shared_ptr<ManagerObject>>(it->second)) {
        // Closing a resource manager closes its sessions and find lists.
        for (auto child = state.objects.begin(); child != state.objects.end();) {
            ViSession owner = VI_NULL;
            if (const auto* s = std::get_if<std::shared_ptr<SessionObject>>(&child->second))
                owner = (*s)->manager;
            else if (const auto* f = std::get_if<std::shared_ptr<FindListObject>>(&child->second))
                owner = (*f)->manager;
            if (owner == vi) {
                closing.push_back(std::move(child->second));
                child = state.objects.erase(child);
            } else {
                ++child;
            }
        }
    }
    const auto self = state.objects.find(vi);
    closing.push_back(std::move(self->second));
    state.objects.erase(self);
    return VI_SUCCESS;
}

ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue) {
    VisaState& state = VisaState::instance();
    std::shared_ptr<SessionObject> session;
    {
        std::lock_guard lock(state.mutex);
        if (const auto rm = state.find<ManagerObject>(vi)) {
            if (attrName != VI_ATTR_TMO_VALUE) return VI_ERROR_NSUP_ATTR;
            if (attrValue > 0xFFFFFFFFull) return VI_ERROR_NSUP_ATTR_STATE;
            rm->timeoutMs = static_cast<ViUInt32>(attrValue);
            return VI_SUCCESS;
        }
        if (state.find<FindListObject>(vi)) return VI_ERROR_NSUP_ATTR;
        session = state.find<SessionObject>(vi);
        if (!session) return VI_ERROR_INV_OBJECT;
    }
    switch (attrName) {
        case VI_ATTR_TMO_VALUE: {
            if (attrValue > 0xFFFFFFFFull) return VI_ERROR_NSUP_ATTR_STATE;
            std::lock_guard io(session->io);
            session->timeoutMs = static_cast<ViUInt32>(attrValue);
            session->transport->setTimeout(session->timeoutMs);
            return VI_SUCCESS;
        }
        case VI_ATTR_RSRC_NAME:
        case VI_ATTR_RSRC_CLASS:
        case VI_ATTR_INTF_TYPE:
            return VI_ERROR_ATTR_READONLY;
        default:
            return VI_ERROR_NSUP_ATTR;
    }
}

ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void* attrValue) {
    VisaState& state = VisaState::instance();
    std::shared_ptr<SessionObject> session;
    {
        std::lock_guard lock(state.mutex);
        if (const auto rm = state.find<ManagerObject>(vi)) {
            if (attrName != VI_ATTR_TMO_VALUE) return VI_ERROR_NSUP_ATTR;
            if (!attrValue) return VI_ERROR_USER_BUF;
            *static_cast<ViUInt32*>(attrValue) = rm->timeoutMs;
            return VI_SUCCESS;
        }
        if (state.find<FindListObject>(vi)) return VI_ERROR_NSUP_ATTR;
        session = state.find<SessionObject>(vi);
        if (!session) return VI_ERROR_INV_OBJECT;
    }
    if (!attrValue) return VI_ERROR_USER_BUF;
    switch (attrName) {
        case VI_ATTR_TMO_VALUE: {
            std::lock_guard io(session->io);
            *static_cast<ViUInt32*>(attrValue) = session->timeoutMs;
            return VI_SUCCESS;
        }
        case VI_ATTR_RSRC_NAME:
            copyDescriptor(static_cast<ViChar*>(attrValue), session->name);
            return VI_SUCCESS;
        case VI_ATTR_RSRC_CLASS:
            copyDescriptor(static_cast<ViChar*>(attrValue), session->parsed.resourceClass);
            return VI_SUCCESS;
        case VI_ATTR_INTF_TYPE:
            *static_cast<ViUInt16*>(attrValue) = session->parsed.interfaceType;
            return VI_SUCCESS;
        case VI_ATTR_TERMCHAR_EN: {
            std::lock_guard io(session->io);
            *static_cast<ViBoolean*>(attrValue) =
                session->transport && session->transport->endsAtTermChar() ? VI_TRUE : VI_FALSE;
            return VI_SUCCESS;
        }
        default:
            return VI_ERROR_NSUP_ATTR;
    }
}

ViStatus viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
    if (retCnt) *retCnt = 0;
    const auto session = lookup<SessionObject>(vi);
    if (!session) return VI_ERROR_INV_OBJECT;
    if (!buf && cnt > 0) return VI_ERROR_USER_BUF;
    std::lock_guard io(session->io);
    if (session->lost) return VI_ERROR_CONN_LOST;
    if (cnt == 0) return VI_SUCCESS_MAX_CNT;  // nothing asked, nothing waited for
    std::size_t received = 0;
    const ViStatus status = session->transport->read(buf, cnt, received);
    if (retCnt) *retCnt = static_cast<ViUInt32>(received);
    return noteLoss(*session, status);
}

ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
    if (retCnt) *retCnt = 0;
    const auto session = lookup<SessionObject>(vi);
    if (!session) return VI_ERROR_INV_OBJECT;
    if (!buf && cnt > 0) return VI_ERROR_USER_BUF;
    std::lock_guard io(session->io);
    return writeLocked(*session, buf, cnt, retCnt);
}

ViStatus viClear(ViSession vi) {
    const auto session = lookup<SessionObject>(vi);
    if (!session) return VI_ERROR_INV_OBJECT;
    std::lock_guard io(session->io);
    if (session->lost) return VI_ERROR_CONN_LOST;
    return noteLoss(*session, session->transport->clear());
}

ViStatus viPrintf(ViSession vi, ViConstString writeFmt, ...) {
    const auto session = lookup<SessionObject>(vi);
    if (!session) return VI_ERROR_INV_OBJECT;
    std::lock_guard io(session->io);
    std::size_t length = 0;
    va_list args;
    va_start(args, writeFmt);
    const ViStatus formatted = formatInto(session->format, length, writeFmt, args);
    va_end(args);
    if (formatted != VI_SUCCESS) return formatted;
    return writeLocked(*session, reinterpret_cast<ViConstBuf>(session->format.data()),
                       static_cast<ViUInt32>(length), nullptr);
}

}  // extern "C"
