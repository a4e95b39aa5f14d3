#include <zanbarcode/platform/Packages.h>
#include <zanbarcode/platform/Types.h>

#include <dlfcn.h>

#include <algorithm>
#include <cctype>

namespace zan::platform {

TPackage::TPackage(const std::string& path) {
    // RTLD_NODELETE: classes and editors that the package registered stay callable.
    FHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (FHandle == nullptr) {
        const char* reason = dlerror();
        throw EPackageError("Cannot load package %s: %s", {path, reason ? reason : "unknown error"});
    }
    using TEntry = const TPackageInfo* (*)();
    auto entry = reinterpret_cast<TEntry>(dlsym(FHandle, PackageEntryName));
    FInfo = entry ? entry() : nullptr;
    if (FInfo == nullptr) {
        dlclose(FHandle);
        throw EPackageError("%s is not a package", {path});
    }
    FInfo->Startup();
}

TPackage::~TPackage() {
    FInfo->Shutdown();
    dlclose(FHandle);
}

std::string TPackage::FindResource(const std::string& name) const {
    for (std::size_t i = 0; i < FInfo->ResourceCount; ++i) {
        const TPackageResource& resource = FInfo->Resources[i];
        if (SameText(resource.Name, name))
            return std::string(reinterpret_cast<const char*>(resource.Data), resource.Size);
    }
    throw EPackageError("Package %s has no resource %s", {GetName(), name});
}

}  // namespace zan::platform
