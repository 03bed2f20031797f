#include "platform/posix/UdevPortDescriptions.h"

#include <dlfcn.h>
#include <libudev.h>
#include <sys/stat.h>

#include "platform/DeviceDescription.h"

namespace fwut {
namespace {

// The few udev calls a description needs, found in the library at run time.
struct UdevLibrary {
    decltype(&udev_new) newContext = nullptr;
    decltype(&udev_unref) unrefContext = nullptr;
    decltype(&udev_device_new_from_devnum) deviceFromNumber = nullptr;
    decltype(&udev_device_unref) unrefDevice = nullptr;
    decltype(&udev_device_get_parent_with_subsystem_devtype) parentOfType = nullptr;
    decltype(&udev_device_get_sysattr_value) attribute = nullptr;
    decltype(&udev_device_get_property_value) property = nullptr;

    UdevLibrary()
    {
        // Loaded once for the whole process and never unloaded.
        void* library = ::dlopen("libudev.so.1", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            return;
        }
        Find(library, "udev_new", newContext);
        Find(library, "udev_unref", unrefContext);
        Find(library, "udev_device_new_from_devnum", deviceFromNumber);
        Find(library, "udev_device_unref", unrefDevice);
        Find(library, "udev_device_get_parent_with_subsystem_devtype", parentOfType);
        Find(library, "udev_device_get_sysattr_value", attribute);
        Find(library, "udev_device_get_property_value", property);
    }

    bool Complete() const
    {
        return newContext && unrefContext && deviceFromNumber && unrefDevice && parentOfType && attribute && property;
    }

    template <typename Function> static void Find(void* library, const char* name, Function& function)
    {
        function = reinterpret_cast<Function>(::dlsym(library, name));
    }
};

const UdevLibrary& Udev()
{
    static const UdevLibrary library;
    return library;
}

std::string Text(const char* value)
{
    return value != nullptr ? std::string(value) : std::string();
}

UdevFacts FactsOf(const UdevLibrary& library, udev_device* tty)
{
    UdevFacts facts;
    facts.databaseVendor = Text(library.property(tty, "ID_VENDOR_FROM_DATABASE"));
    facts.databaseModel = Text(library.property(tty, "ID_MODEL_FROM_DATABASE"));
    // Belongs to the tty; not unreferenced separately.
    if (udev_device* usb = library.parentOfType(tty, "usb", "usb_device")) {
        facts.product = Text(library.attribute(usb, "product"));
        facts.manufacturer = Text(library.attribute(usb, "manufacturer"));
        facts.vendorId = Text(library.attribute(usb, "idVendor"));
        facts.productId = Text(library.attribute(usb, "idProduct"));
        facts.serial = Text(library.attribute(usb, "serial"));
    }
    return facts;
}

}  // namespace

std::string UdevPortDescriptions::Describe(int portNumber)
{
    const std::string path = m_ports.DevicePath(portNumber);
    struct stat status { };
    const UdevLibrary& library = Udev();
    // Found by its device number, so that a link in the port map (a
    // /dev/serial/by-id name) leads to the same device.
    if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISCHR(status.st_mode) || !library.Complete()) {
        return {};
    }
    udev* context = library.newContext();
    if (context == nullptr) {
        return {};
    }
    std::string description;
    if (udev_device* tty = library.deviceFromNumber(context, 'c', status.st_rdev)) {
        description = DescribeUdevDevice(FactsOf(library, tty));
        library.unrefDevice(tty);
    }
    library.unrefContext(context);
    return description;
}

}  // namespace fwut
