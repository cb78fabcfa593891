#include "export_file.h"

#include "files/atomic_writer.h"

namespace ardenca::exports {

void write_export(const std::string& path, std::string_view text) {
    files::AtomicFileWriter file(path, files::real_save_system());
    file.write(text);
    file.commit();
}

} // namespace ardenca::exports
