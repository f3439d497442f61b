// nltool picture: decodes a picture exactly as the player's loaders do (flip
// 0) and writes the decoded picture as a PNG, or prints the player's message.

#include "commands.h"

#include "base/diag_log.h"
#include "base/message_box.h"
#include "files/disk_file.h"
#include "images/picture_loader.h"
#include "tools/png_write.h"

#include <sstream>

int pictureCommand(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2) {
        err << "usage: nltool picture FILE OUT.png\n";
        return 2;
    }
    const std::string& file = args[0];
    if (pictureFormatOf(file.c_str()) == PictureFormat::Unknown) {
        err << "nltool: " << file
            << ": the player reads no picture of this kind (it knows .bmp, .jpg, .tga and "
               ".pcx)\n";
        return 1;
    }
    DiskFile disk;
    std::ostringstream log;
    MessageRecorder messages;
    Picture picture;
    bool ok;
    {
        DiagLogRedirect redirect(log);
        ok = loadPicture(disk, file.c_str(), 0, picture);
    }
    for (const Message& m : messages.messages()) err << m.caption << ": " << m.text << "\n";
    if (!ok || picture.empty()) {
        if (!log.str().empty()) err << log.str();
        if (messages.count() == 0 && log.str().empty())
            err << "nltool: " << file << ": cannot be opened\n";
        return 1;
    }
    if (!writePng(args[1], picture.pixels.get(), picture.width, picture.height)) {
        err << "nltool: " << args[1] << ": cannot be written\n";
        return 1;
    }
    out << file << ": " << picture.width << " x " << picture.height << "\n";
    return 0;
}
