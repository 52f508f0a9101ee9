#include "RuntimeError.h"

namespace pelmora::rterr {

// The descriptions the Korean runtime gave for these numbers.
RuntimeError overflow() { return {kOverflow, "오버플로"}; }
RuntimeError typeMismatch() { return {kTypeMismatch, "형식이 일치하지 않습니다."}; }
RuntimeError subscriptOutOfRange() { return {kSubscriptOutOfRange, "아래 첨자 사용이 잘못되었습니다."}; }
RuntimeError divisionByZero() { return {kDivisionByZero, "0으로 나누었습니다."}; }
RuntimeError invalidArgument() { return {kInvalidArgument, "프로시저 호출 또는 인수가 잘못되었습니다."}; }

} // namespace pelmora::rterr
