#include "Errors.h"

namespace angoka {
namespace {

class EngineErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "angoka"; }
    std::string message(int code) const override {
        switch (static_cast<Errc>(code)) {
            case Errc::SourceChanged:
                return "the source file changed while it was being read";
            case Errc::NotRegularFile:
                return "not a regular file";
        }
        return "unknown error";
    }
};

}  // namespace

const std::error_category& EngineCategory() {
    static const EngineErrorCategory category;
    return category;
}

}  // namespace angoka
