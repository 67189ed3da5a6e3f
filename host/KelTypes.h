// Basic types shared by the record library, the engine side and the agent.
#ifndef HOST_KELTYPES_H_
#define HOST_KELTYPES_H_

// The engine boolean. Plain int-sized values so they travel through C
// interfaces unchanged.
typedef int __boolean;
enum { E_KBFalse = 0, E_KBTrue = 1 };

// Value types of a CKelAtom.
enum EKelDataType {
  E_KDTInteger = 1,  // signed 64-bit integer (holds every SNMP counter)
  E_KDTString = 2,   // NUL-terminated text
  E_KDTList = 3,     // a CKelDoubleList of listables
};

// Status codes of the record library. Success is always 1; every failure is
// one of these negative codes, and the argument that could not be taken
// stays with the caller.
enum {
  KEL_OK = 1,
  KEL_ERR_NULL_ARG = -210001,    // a required argument was null
  KEL_ERR_DUPLICATE = -210002,   // key already present (single-entry tree,
                                 // record field, list element)
  KEL_ERR_NOT_FOUND = -210003,   // no such key or element
  KEL_ERR_WRONG_TYPE = -210004,  // value of an unexpected type
  KEL_ERR_NO_MEMORY = -220553,   // an allocation failed
};

#endif  // HOST_KELTYPES_H_
