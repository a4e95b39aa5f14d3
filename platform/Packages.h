// Component packages: shared libraries that a designer or an application loads at run
// time, which start their units when loaded and stop them when let go.
#pragma once

#include <cstddef>
#include <string>

#include <zanbarcode/platform/Exception.h>

namespace zan::platform {

// A package that cannot be loaded: a missing file, or a library that is not a package.
class EPackageError : public Exception {
public:
    using Exception::Exception;
};

// A named block of bytes carried inside a package, such as a palette bitmap.
struct TPackageResource {
    const char* Name;
    const unsigned char* Data;
    std::size_t Size;
};

// What a package tells its loader. Startup and Shutdown count: the units start with the
// first Startup and stop with the last Shutdown of a process.
struct TPackageInfo {
    const char* Name;
    void (*Startup)();
    void (*Shutdown)();
    void (*Register)();  // the designer's registration routine
    const TPackageResource* Resources;
    std::size_t ResourceCount;
};

// A package exports `extern "C" const TPackageInfo* ZanPackageInfo()` under this name.
inline constexpr const char* PackageEntryName = "ZanPackageInfo";

// A loaded package: loading starts its units, destroying it stops them. The library
// stays mapped afterwards, since the designer's registries may still name its classes.
class TPackage {
public:
    // Raises EPackageError "Cannot load package <path>: <reason>" or
    // "<path> is not a package" for a library without the entry point.
    explicit TPackage(const std::string& path);
    ~TPackage();
    TPackage(const TPackage&) = delete;
    TPackage& operator=(const TPackage&) = delete;

    std::string GetName() const { return FInfo->Name; }
    void Register() const { FInfo->Register(); }
    // The resource called Name (letter case ignored); raises EPackageError when absent.
    std::string FindResource(const std::string& name) const;

private:
    void* FHandle = nullptr;
    const TPackageInfo* FInfo = nullptr;
};

}  // namespace zan::platform
