/* tabrix automation control: the Book API as one scriptable object, called the way an
 * automation client calls a dispatch interface.
 *
 * A control keeps a current position text ("A1" at first), replaced by the Pos, Pos2, Cell
 * and Cell2 members and passed as the position of every member that takes one. Members are
 * named and numbered (DISPID) as in the table that XlsControlMember returns; a client looks
 * a name up once and invokes by number as a method, a property get or a property put.
 *
 * Results are status codes: 0 for success; 0x80000000 | n when the member failed with Book
 * API error n (see XLERROR); the XLDISP_E_* and XLE_* codes below when the call never
 * reached the member. A member failure first fires the Error event on every connected sink
 * with the number, which a sink may change: 0 turns the failure into success. Otherwise the
 * failure sets the calling thread's error information and closes every open book, so a
 * client that catches it must create or open its book again. Error 8 (errErrorValue, the
 * cell holds an error value) is never a failure. */
#ifndef TABRIX_AUTOMATION_H
#define TABRIX_AUTOMATION_H

#include "tabrix/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The control's class and type-library identifiers, and its program identifiers. */
#define XLCONTROL_CLSID "{75FAF858-E7A2-40E4-96B9-44B54E97C84B}"
#define XLCONTROL_LIBID "{AB7EB1EF-1C17-424B-A421-93AAEC85B06E}"
#define XLCONTROL_PROGID "QuillaneOcx.QuillaneOcx.1"
#define XLCONTROL_PROGID_CURRENT "QuillaneOcx.QuillaneOcx"
/* The help context of the error information. */
#define XLCONTROL_HELP_CONTEXT 3003

/* Status codes of calls that never reached a member. */
#define XLDISP_E_MEMBERNOTFOUND ((int32_t)0x80020003)
#define XLDISP_E_PARAMNOTFOUND ((int32_t)0x80020004)
#define XLDISP_E_TYPEMISMATCH ((int32_t)0x80020005)
#define XLDISP_E_UNKNOWNNAME ((int32_t)0x80020006)
#define XLDISP_E_BADPARAMCOUNT ((int32_t)0x8002000E)
#define XLDISP_E_PARAMNOTOPTIONAL ((int32_t)0x8002000F)
#define XLE_POINTER ((int32_t)0x80004003)
#define XLE_HANDLE ((int32_t)0x80070006)
#define XLE_OUTOFMEMORY ((int32_t)0x8007000E)
#define XLE_UNEXPECTED ((int32_t)0x8000FFFF)
#define XLCONNECT_E_NOCONNECTION ((int32_t)0x80040200)

/* How a member is invoked, numbered as dispatch interfaces number it. */
enum { XLINVOKE_METHOD = 1, XLINVOKE_PROPERTYGET = 2, XLINVOKE_PROPERTYPUT = 4 };

/* What an argument, a property value or a result is, and the variant that carries it. */
typedef enum XLARGKIND {
    akNone = 0,    /* nothing (a method without a result) */
    akLong = 1,    /* 32-bit integer: VT_I4, or any number or numeric text, rounded (held
                    * at the 32-bit limits, NaN as 0) */
    akDouble = 2,  /* VT_R8, or any number or numeric text */
    akText = 3,    /* VT_BSTR (numbers are formatted) */
    akBool = 4,    /* VT_BOOL, or a number (non-zero is true) */
    akVariant = 5, /* any variant, passed on as it is */
    akControl = 6, /* the control itself: VT_DISPATCH with the control's handle in lVal */
    akOutLong = 7  /* receives a 32-bit integer: VT_BYREF | VT_I4 (plVal), or VT_BYREF |
                      VT_VARIANT (pvarVal, which becomes VT_I4) */
} XLARGKIND;

/* One argument of a member. An omitted optional argument (left off the end of the list, or
 * given as VT_ERROR with scode XLDISP_E_PARAMNOTFOUND) takes default_value when it is a
 * 32-bit integer or a flag, an empty text when it is a text, and an empty variant. */
typedef struct XLMEMBERARG {
    const char *name;
    const char *type; /* as the type library declares it: "long", "double", "BSTR",
                         "VARIANT_BOOL", "VARIANT", "long*" or an enumeration ("XLCOLOR") */
    int32_t kind;     /* XLARGKIND */
    int32_t optional; /* 1 when it may be omitted */
    int32_t default_value;
} XLMEMBERARG;

/* One member of the control. A property's arguments are its index arguments; a put passes
 * the new value after them. value_kind is a property's value, or a method's result. */
typedef struct XLMEMBER {
    const char *name;
    int32_t dispid;
    int32_t invoke;     /* the XLINVOKE_* kinds the member answers */
    int32_t value_kind; /* XLARGKIND */
    int32_t arg_count;
    const XLMEMBERARG *args;
} XLMEMBER;

/* One constant of the enumerations the type library publishes (XLVER, XLCOLOR, ...). */
typedef struct XLENUMVALUE {
    const char *type; /* "XLCOLOR" */
    const char *name; /* "xcRed" */
    int32_t value;
} XLENUMVALUE;

/* The last failure's error information of the calling thread. */
typedef struct XLERRORINFO {
    char guid[39];             /* XLCONTROL_CLSID */
    int32_t help_context;      /* XLCONTROL_HELP_CONTEXT */
    char16_t description[513]; /* the Book API message, NUL-terminated */
    char help_file[64];        /* where the control is described */
} XLERRORINFO;

/* Receives a member's error number by reference; setting it to 0 makes the member succeed. */
typedef void (*XLERRORSINK)(void *context, int32_t *number);

/* ---- Members as data -------------------------------------------------------------------- */
TABRIX_API int32_t XlsControlMemberCount(void);
/* The member at an index from 0, in interface order; null outside the table. */
TABRIX_API const XLMEMBER *XlsControlMember(int32_t index);
TABRIX_API int32_t XlsControlEnumCount(void);
TABRIX_API const XLENUMVALUE *XlsControlEnum(int32_t index);
/* The DISPID of a member named so (ASCII letters in either case): 0 or XLDISP_E_UNKNOWNNAME. */
TABRIX_API int32_t XlsControlGetDispID(const char *name, int32_t *dispid);

/* ---- Controls ------------------------------------------------------------------------
 * A control is an opaque handle, checked on every call (XLE_HANDLE when it names no live
 * control). It holds one reference when created; it ends when its last one is released.
 * The books belong to the Book API and outlive the control. */
TABRIX_API int32_t XlsControlCreate(int32_t *control);
/* Return the new number of references (0 for an unknown handle). */
TABRIX_API int32_t XlsControlAddRef(int32_t control);
TABRIX_API int32_t XlsControlRelease(int32_t control);

/* Invokes a member. The arguments come in declaration order (first argument first); a
 * property put gives the new value last. result (may be null) receives the property value or
 * the method's result; a VT_BSTR result is released with XlsClearValueV, and a VT_DISPATCH
 * result holds a reference that the caller releases with XlsControlRelease. */
TABRIX_API int32_t XlsControlInvoke(int32_t control, int32_t dispid, int32_t invoke,
                                    int32_t arg_count, const VARIANT *args, VARIANT *result);

/* Connects a sink of the Error event; *cookie names the connection for XlsControlUnadvise.
 * Sinks are called in the order they were connected, every one of them, each seeing the
 * number the previous one left (0 included): what the last one leaves decides the call. */
TABRIX_API int32_t XlsControlAdvise(int32_t control, XLERRORSINK sink, void *context,
                                    int32_t *cookie);
TABRIX_API int32_t XlsControlUnadvise(int32_t control, int32_t cookie);

/* Takes the calling thread's error information, as a failure set it: 1, and the information
 * is cleared; 0 when there is none. */
TABRIX_API int32_t XlsControlGetErrorInfo(XLERRORINFO *info);

#ifdef __cplusplus
}
#endif

#endif /* TABRIX_AUTOMATION_H */
