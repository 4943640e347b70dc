/* The VISA C API as this suite uses it: standard function names, types,
 * status codes and attribute identifiers with their standard values, so that
 * a vendor VISA can be linked instead (QM_VISA=system). */
#ifndef QM_VISA_H
#define QM_VISA_H

#include "visa/visatype.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Completion codes */
#define VI_SUCCESS ((ViStatus)0L)
#define VI_SUCCESS_EVENT_EN ((ViStatus)0x3FFF0002L)
#define VI_SUCCESS_EVENT_DIS ((ViStatus)0x3FFF0003L)
#define VI_SUCCESS_TERM_CHAR ((ViStatus)0x3FFF0005L)
#define VI_SUCCESS_MAX_CNT ((ViStatus)0x3FFF0006L)
#define VI_SUCCESS_DEV_NPRESENT ((ViStatus)0x3FFF007DL)
#define VI_WARN_NULL_OBJECT ((ViStatus)0x3FFF0082L)
#define VI_WARN_UNKNOWN_STATUS ((ViStatus)0x3FFF0085L)

/* Error codes */
#define VI_ERROR ((ViStatus)(-2147483647L - 1))
#define VI_ERROR_SYSTEM_ERROR ((ViStatus)(VI_ERROR + 0x3FFF0000L))
#define VI_ERROR_INV_OBJECT ((ViStatus)(VI_ERROR + 0x3FFF000EL))
#define VI_ERROR_RSRC_LOCKED ((ViStatus)(VI_ERROR + 0x3FFF000FL))
#define VI_ERROR_INV_EXPR ((ViStatus)(VI_ERROR + 0x3FFF0010L))
#define VI_ERROR_RSRC_NFOUND ((ViStatus)(VI_ERROR + 0x3FFF0011L))
#define VI_ERROR_INV_RSRC_NAME ((ViStatus)(VI_ERROR + 0x3FFF0012L))
#define VI_ERROR_INV_ACC_MODE ((ViStatus)(VI_ERROR + 0x3FFF0013L))
#define VI_ERROR_TMO ((ViStatus)(VI_ERROR + 0x3FFF0015L))
#define VI_ERROR_CLOSING_FAILED ((ViStatus)(VI_ERROR + 0x3FFF0016L))
#define VI_ERROR_NSUP_ATTR ((ViStatus)(VI_ERROR + 0x3FFF001DL))
#define VI_ERROR_NSUP_ATTR_STATE ((ViStatus)(VI_ERROR + 0x3FFF001EL))
#define VI_ERROR_ATTR_READONLY ((ViStatus)(VI_ERROR + 0x3FFF001FL))
#define VI_ERROR_INV_SETUP ((ViStatus)(VI_ERROR + 0x3FFF003AL))
#define VI_ERROR_ALLOC ((ViStatus)(VI_ERROR + 0x3FFF003CL))
#define VI_ERROR_IO ((ViStatus)(VI_ERROR + 0x3FFF003EL))
#define VI_ERROR_INV_FMT ((ViStatus)(VI_ERROR + 0x3FFF003FL))
#define VI_ERROR_NSUP_FMT ((ViStatus)(VI_ERROR + 0x3FFF0041L))
#define VI_ERROR_NSUP_OPER ((ViStatus)(VI_ERROR + 0x3FFF0067L))
#define VI_ERROR_USER_BUF ((ViStatus)(VI_ERROR + 0x3FFF0071L))
#define VI_ERROR_RSRC_BUSY ((ViStatus)(VI_ERROR + 0x3FFF0072L))
#define VI_ERROR_INV_PARAMETER ((ViStatus)(VI_ERROR + 0x3FFF0078L))
#define VI_ERROR_INV_LENGTH ((ViStatus)(VI_ERROR + 0x3FFF0083L))
#define VI_ERROR_CONN_LOST ((ViStatus)(VI_ERROR + 0x3FFF00A6L))
#define VI_ERROR_INV_SESSION VI_ERROR_INV_OBJECT

/* Attributes */
#define VI_ATTR_RSRC_CLASS (0xBFFF0001UL)
#define VI_ATTR_RSRC_NAME (0xBFFF0002UL)
#define VI_ATTR_SEND_END_EN (0x3FFF0016UL)
#define VI_ATTR_TERMCHAR (0x3FFF0018UL)
#define VI_ATTR_TMO_VALUE (0x3FFF001AUL)
#define VI_ATTR_TERMCHAR_EN (0x3FFF0038UL)
#define VI_ATTR_INTF_TYPE (0x3FFF0171UL)

#define VI_TMO_IMMEDIATE (0L)
#define VI_TMO_INFINITE (0xFFFFFFFFUL)
#define VI_NO_LOCK (0)
#define VI_EXCLUSIVE_LOCK (1)
#define VI_SHARED_LOCK (2)
#define VI_LOAD_CONFIG (4)
#define VI_FIND_BUFLEN (256)

#define VI_INTF_GPIB (1)
#define VI_INTF_ASRL (4)
#define VI_INTF_TCPIP (6)
#define VI_INTF_USB (7)

ViStatus viOpenDefaultRM(ViPSession vi);
ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                    ViChar desc[]);
ViStatus viFindNext(ViFindList vi, ViChar desc[]);
ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                ViPSession vi);
ViStatus viClose(ViObject vi);
ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue);
ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void* attrValue);
ViStatus viStatusDesc(ViObject vi, ViStatus status, ViChar desc[]);
ViStatus viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt);
ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt);
ViStatus viClear(ViSession vi);
ViStatus viPrintf(ViSession vi, ViConstString writeFmt, ...);

#ifdef __cplusplus
}
#endif

#endif
