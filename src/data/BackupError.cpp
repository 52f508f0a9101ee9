#include "BackupError.h"

namespace pelmora {

BackupError::BackupError(BackupFault fault, std::string detail)
    : std::runtime_error(detail), fault_(fault), detail_(std::move(detail)) {}

std::string BackupError::text() const {
    const std::string d = detail_.empty() ? "" : "\n" + detail_;
    switch (fault_) {
    case BackupFault::NoFolder:
        return "백업 폴더가 정해지지 않았습니다. 설정에서 백업 폴더를 정하십시오.";
    case BackupFault::FolderMissing:
        return "백업 폴더를 찾을 수 없습니다. USB 저장장치가 꽂혀 있는지 확인하십시오." + d;
    case BackupFault::FolderNotWritable:
        return "백업 폴더에 쓸 수 없습니다." + d;
    case BackupFault::RemovableNoKey:
        return "백업 암호가 정해지지 않아 이동식 저장장치에는 백업하지 않습니다.\n"
               "백업에는 주민등록번호가 들어 있습니다. 설정에서 백업 암호를 정하십시오." +
               d;
    case BackupFault::NotABackup:
        return "Pelmora 백업 파일이 아닙니다." + d;
    case BackupFault::Damaged:
        return "백업 파일이 손상되어 쓸 수 없습니다." + d;
    case BackupFault::Truncated:
        return "백업 파일이 끝까지 기록되지 않았습니다(잘린 파일)." + d;
    case BackupFault::WrongPassphrase:
        return "백업 암호가 맞지 않습니다.";
    case BackupFault::NeedPassphrase:
        return "암호로 잠긴 백업입니다. 백업 암호를 입력하십시오.";
    case BackupFault::CheckFailed:
        return "백업한 자료가 검사를 통과하지 못하였습니다." + d;
    case BackupFault::CountsDiffer:
        return "백업한 자료의 건수가 원본과 다릅니다." + d;
    case BackupFault::Io:
        return "파일을 읽거나 쓰지 못하였습니다." + d;
    case BackupFault::StoreFailed:
        return "처방 자료를 읽거나 쓰지 못하였습니다." + d;
    case BackupFault::Unsupported:
        return "이 프로그램이 읽을 수 없는 백업입니다." + d;
    case BackupFault::Cancelled:
        return "작업을 취소하였습니다.";
    }
    return detail_;
}

} // namespace pelmora
