#include "docx_writer.h"

#include "docx_parts.h"

#include <zip.h>

namespace qm::docx {

namespace {

Error zipError(zip_error_t* error, const std::string& what) {
    std::string message = what + ": " + zip_error_strerror(error);
    const int sysErr =
        zip_error_system_type(error) == ZIP_ET_SYS ? zip_error_code_system(error) : 0;
    return Error{ErrorKind::Io, std::string(), 0, message, sysErr};
}

// Adds the parts to an archive built on `source`; the part texts must outlive zip_close.
Status addParts(zip_t* archive, const std::vector<PackagePart>& parts) {
    for (const PackagePart& part : parts) {
        zip_source_t* data = zip_source_buffer(archive, part.xml.data(), part.xml.size(), 0);
        if (!data)
            return zipError(zip_get_error(archive), "cannot add " + part.name);
        const zip_int64_t index =
            zip_file_add(archive, part.name.c_str(), data, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(data);
            return zipError(zip_get_error(archive), "cannot add " + part.name);
        }
        if (zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                                     0) != 0)
            return zipError(zip_get_error(archive), "cannot compress " + part.name);
    }
    return okStatus();
}

Result<std::string> readSource(zip_source_t* source) {
    if (zip_source_open(source) != 0)
        return zipError(zip_source_error(source), "cannot read the package");
    std::string bytes;
    char chunk[16384];
    zip_int64_t n = 0;
    while ((n = zip_source_read(source, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, static_cast<size_t>(n));
    const bool failed = n < 0;
    zip_source_close(source);
    if (failed)
        return zipError(zip_source_error(source), "cannot read the package");
    return bytes;
}

} // namespace

Result<std::string> packageBytes(const Document& document) {
    const std::vector<PackagePart> parts = packageParts(document);

    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!source) {
        Error failure = zipError(&error, "cannot start the package");
        zip_error_fini(&error);
        return failure;
    }
    // The archive frees its source on close; keep it to read the bytes afterwards.
    zip_source_keep(source);
    zip_t* archive = zip_open_from_source(source, ZIP_TRUNCATE, &error);
    if (!archive) {
        Error failure = zipError(&error, "cannot start the package");
        zip_error_fini(&error);
        zip_source_free(source);
        return failure;
    }
    zip_error_fini(&error);

    if (Status added = addParts(archive, parts); !added) {
        zip_discard(archive);
        zip_source_free(source);
        return added.error();
    }
    if (zip_close(archive) != 0) {
        Error failure = zipError(zip_get_error(archive), "cannot finish the package");
        zip_discard(archive);
        zip_source_free(source);
        return failure;
    }
    Result<std::string> bytes = readSource(source);
    zip_source_free(source);
    return bytes;
}

Result<StagedFile> stageDocument(const Document& document, const std::string& finalPath) {
    Result<std::string> bytes = packageBytes(document);
    if (!bytes) {
        Error failure = bytes.error();
        failure.file = finalPath;
        return failure;
    }
    return StagedFile::write(finalPath, bytes.value());
}

} // namespace qm::docx
