/* Base types of the VISA C API, with the standard names and widths. */
#ifndef QM_VISATYPE_H
#define QM_VISATYPE_H

#include <stdint.h>

typedef uint32_t ViUInt32;
typedef int32_t ViInt32;
typedef uint16_t ViUInt16;
typedef int16_t ViInt16;
typedef uint8_t ViUInt8;
typedef int8_t ViInt8;
typedef char ViChar;
typedef unsigned char ViByte;
typedef void* ViAddr;
typedef ViUInt16 ViBoolean;
typedef ViInt32 ViStatus;
typedef ViUInt32 ViObject;
typedef ViObject ViSession;
typedef ViObject ViFindList;
typedef ViUInt32 ViAttr;
typedef ViUInt32 ViAccessMode;
typedef ViUInt32* ViPUInt32;
typedef ViSession* ViPSession;
typedef ViFindList* ViPFindList;
typedef ViChar* ViString;
typedef const ViChar* ViConstString;
typedef ViString ViRsrc;
typedef ViConstString ViConstRsrc;
typedef ViChar* ViPRsrc;
typedef ViByte* ViBuf;
typedef const ViByte* ViConstBuf;
typedef ViByte* ViPBuf;
typedef uint64_t ViAttrState; /* wide enough for every attribute value */

#define VI_NULL 0
#define VI_TRUE 1
#define VI_FALSE 0

#endif
