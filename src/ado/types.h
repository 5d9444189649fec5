#pragma once
// Codes of the platform's data-access objects, kept numerically identical because the
// module compares them (field type 135, attribute flag 32, cursor type 2, ...).
namespace ado {

enum DataTypeEnum : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBoolean = 11,
    adDecimal = 14,
    adTinyInt = 16,
    adBigInt = 20,
    adGUID = 72,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBTimeStamp = 135,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
};

enum FieldAttributeEnum : long {
    adFldMayDefer = 0x2,
    adFldUpdatable = 0x4,
    adFldUnknownUpdatable = 0x8,
    adFldFixed = 0x10,
    adFldIsNullable = 0x20,
    adFldMayBeNull = 0x40,
    adFldLong = 0x80,
    adFldRowID = 0x100,
    adFldRowVersion = 0x200,
    adFldKeyColumn = 0x8000,
};

enum CursorTypeEnum : int {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockTypeEnum : int {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};
enum CursorLocationEnum : int { adUseServer = 2, adUseClient = 3 };
enum ObjectStateEnum : long { adStateClosed = 0, adStateOpen = 1 };
enum SearchDirectionEnum : int { adSearchBackward = -1, adSearchForward = 1 };
// AbsolutePosition when there is no current row.
enum PositionEnum : long { adPosUnknown = -1, adPosBOF = -2, adPosEOF = -3 };

// True for the text types, the numeric types and the date types.
bool is_text_type(int type);
bool is_fixed_text_type(int type);
bool is_numeric_type(int type);
bool is_date_type(int type);

}  // namespace ado
