// viStatusDesc: a readable text for every status this layer returns.
#include <cstdio>
#include <cstring>

#include "visa/visa.h"

namespace {

struct StatusText {
    ViStatus status;
    const char* text;
};

constexpr StatusText kTexts[] = {
    {VI_SUCCESS, "VI_SUCCESS: Operation completed successfully."},
    {VI_SUCCESS_EVENT_EN, "VI_SUCCESS_EVENT_EN: Specified event is already enabled."},
    {VI_SUCCESS_EVENT_DIS, "VI_SUCCESS_EVENT_DIS: Specified event is already disabled."},
    {VI_SUCCESS_TERM_CHAR, "VI_SUCCESS_TERM_CHAR: The specified termination character was read."},
    {VI_SUCCESS_MAX_CNT,
     "VI_SUCCESS_MAX_CNT: The number of bytes read is equal to the input count."},
    {VI_SUCCESS_DEV_NPRESENT,
     "VI_SUCCESS_DEV_NPRESENT: Session opened, but the device did not respond."},
    {VI_WARN_NULL_OBJECT, "VI_WARN_NULL_OBJECT: The specified object reference is VI_NULL."},
    {VI_WARN_UNKNOWN_STATUS, "VI_WARN_UNKNOWN_STATUS: The status code is not known."},
    {VI_ERROR_SYSTEM_ERROR, "VI_ERROR_SYSTEM_ERROR: Unknown system error."},
    {VI_ERROR_INV_OBJECT, "VI_ERROR_INV_OBJECT: The given session or object reference is invalid."},
    {VI_ERROR_RSRC_LOCKED, "VI_ERROR_RSRC_LOCKED: The resource is locked by another session."},
    {VI_ERROR_INV_EXPR, "VI_ERROR_INV_EXPR: Invalid resource search expression."},
    {VI_ERROR_RSRC_NFOUND,
     "VI_ERROR_RSRC_NFOUND: Insufficient location information or resource not present."},
    {VI_ERROR_INV_RSRC_NAME, "VI_ERROR_INV_RSRC_NAME: Invalid resource reference specified."},
    {VI_ERROR_INV_ACC_MODE, "VI_ERROR_INV_ACC_MODE: Invalid access mode."},
    {VI_ERROR_TMO, "VI_ERROR_TMO: Timeout expired before the operation completed."},
    {VI_ERROR_CLOSING_FAILED, "VI_ERROR_CLOSING_FAILED: Unable to close the session."},
    {VI_ERROR_NSUP_ATTR, "VI_ERROR_NSUP_ATTR: The attribute is not supported by this resource."},
    {VI_ERROR_NSUP_ATTR_STATE,
     "VI_ERROR_NSUP_ATTR_STATE: The attribute value is not supported by this resource."},
    {VI_ERROR_ATTR_READONLY, "VI_ERROR_ATTR_READONLY: The attribute is read-only."},
    {VI_ERROR_INV_SETUP, "VI_ERROR_INV_SETUP: Inconsistent setup of the session."},
    {VI_ERROR_ALLOC, "VI_ERROR_ALLOC: Insufficient system resources."},
    {VI_ERROR_IO, "VI_ERROR_IO: An input/output error occurred."},
    {VI_ERROR_INV_FMT, "VI_ERROR_INV_FMT: Invalid format specifier."},
    {VI_ERROR_NSUP_FMT, "VI_ERROR_NSUP_FMT: The format specifier is not supported."},
    {VI_ERROR_NSUP_OPER, "VI_ERROR_NSUP_OPER: The operation is not supported by this session."},
    {VI_ERROR_USER_BUF, "VI_ERROR_USER_BUF: A specified user buffer is not valid."},
    {VI_ERROR_RSRC_BUSY, "VI_ERROR_RSRC_BUSY: The resource is valid but cannot be accessed now."},
    {VI_ERROR_INV_PARAMETER, "VI_ERROR_INV_PARAMETER: The value of a parameter is invalid."},
    {VI_ERROR_INV_LENGTH, "VI_ERROR_INV_LENGTH: Invalid length."},
    {VI_ERROR_CONN_LOST, "VI_ERROR_CONN_LOST: The connection for the session has been lost."},
};

}  // namespace

extern "C" ViStatus viStatusDesc(ViObject /*vi*/, ViStatus status, ViChar desc[]) {
    // Any object will do, even a closed one: the text depends on the status alone.
    if (!desc) return VI_ERROR_USER_BUF;
    for (const StatusText& t : kTexts) {
        if (t.status == status) {
            std::snprintf(desc, VI_FIND_BUFLEN, "%s", t.text);
            return VI_SUCCESS;
        }
    }
    std::snprintf(desc, VI_FIND_BUFLEN, "Unknown status 0x%08lX.",
                  static_cast<unsigned long>(static_cast<ViUInt32>(status)));
    return VI_WARN_UNKNOWN_STATUS;
}
