#include "display/3DErrorText.h"

namespace
{

const char* CodeText(std::uint32_t code)
{
    switch (code)
    {
        case E_OUTOFMEMORY_CODE:
            return "Not enough memory.";
        case D3DAPPERR_NODIRECT3D:
            return "Could not initialize OpenGL. You may\nwant to check that the latest version of\nOpenGL "
                   "is "
                   "correctly installed on your\nsystem.  Also make sure that this program\nwas compiled "
                   "with "
                   "header files that match\nthe installed OpenGL DLLs.";
        case D3DAPPERR_NOCOMPATIBLEDEVICES:
            return "Could not find any compatible OpenGL\ndevices.";
        case D3DAPPERR_NOWINDOWABLEDEVICES:
            return "This program cannot run in a desktop\nwindow with the current display settings.\nPlease "
                   "change your desktop settings to a\n16- or 32-bit display mode and re-run this\nprogram.";
        case D3DAPPERR_NOHARDWAREDEVICE:
            return "No hardware-accelerated OpenGL devices\nwere found.";
        case D3DAPPERR_HALNOTCOMPATIBLE:
            return "This program requires functionality that is\nnot available on your OpenGL "
                   "hardware\naccelerator.";
        case D3DAPPERR_NOWINDOWEDHAL:
            return "Your OpenGL hardware accelerator cannot\nrender into a window.\nPress F2 while the app "
                   "is "
                   "running to see a\nlist of available devices and modes.";
        case D3DAPPERR_NODESKTOPHAL:
            return "Your OpenGL hardware accelerator cannot\nrender into a window with the current\ndesktop "
                   "display settings.\nPress F2 while the app is running to see a\nlist of available devices "
                   "and modes.";
        case D3DAPPERR_NOHALTHISMODE:
            return "This program requires functionality that is\nnot available on your OpenGL "
                   "hardware\naccelerator with the current desktop display\nsettings.\nPress F2 while the "
                   "app "
                   "is running to see a\nlist of available devices and modes.";
        case D3DAPPERR_NONZEROREFCOUNT:
            return "An OpenGL object has a non-zero reference\ncount (meaning things were not "
                   "properly\ncleaned "
                   "up).";
        case D3DAPPERR_MEDIANOTFOUND:
            return "Could not load required media.";
        case D3DAPPERR_RESIZEFAILED:
            return "Could not reset the OpenGL device.";
        case D3DAPPERR_NULLREFDEVICE:
            return "Warning: Nothing will be rendered.\nThe reference rendering device was selected, but "
                   "your\ncomputer only has a reduced-functionality reference device\ninstalled.  Install "
                   "the "
                   "OpenGL SDK to get the full\nreference device.\n";
        case D3DERR_OUTOFVIDEOMEMORY:
            return "Not enough video memory.";
        default:
            return "Generic application error. Enable\ndebug output for detailed information.";
    }
}

}  // namespace

std::string Text3DError(std::uint32_t code, ErrorKind kind)
{
    std::string text = CodeText(code);
    if (kind == ErrorKind::Fatal)
        text += "\n\nThis program will now exit.";
    else if (kind == ErrorKind::SwitchingToRef)
        text +=
            "\n\nSwitching to the reference rasterizer,\na software device that implements the "
            "entire\nOpenGL feature set, but runs very slowly.";
    return text;
}
