#include "store/MimeMessage.h"

#include <fstream>

#include "store/GMimeSupport.h"

namespace mailvane::store {

namespace {

bool isAttachmentDisposition(GMimeObject* object) {
  const char* disposition = g_mime_object_get_disposition(object);
  return disposition && g_ascii_strcasecmp(disposition, "attachment") == 0;
}

bool isType(GMimeObject* object, const char* type, const char* subtype) {
  GMimeContentType* contentType = g_mime_object_get_content_type(object);
  return contentType && g_mime_content_type_is_type(contentType, type, subtype);
}

std::string orEmpty(const char* value) { return value ? value : ""; }

std::string streamBytes(GMimeStream* stream) {
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
  return bytes && bytes->len ? std::string(reinterpret_cast<const char*>(bytes->data), bytes->len)
                             : std::string();
}

}  // namespace

MimeMessage::MimeMessage(const std::string& source) {
  parserOptions();
  GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(source.data(), source.size()));
  GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  message_ = g_mime_parser_construct_message(parser.get(), parserOptions());
  if (!message_) return;
  collect(g_mime_message_get_mime_part(message_), 0);
  classify();
}

MimeMessage::~MimeMessage() {
  if (message_) g_object_unref(message_);
}

void MimeMessage::collect(GMimeObject* object, int depth) {
  if (!object || depth > kMaxDepth) return;
  if (GMIME_IS_MULTIPART(object)) {
    GMimeMultipart* multipart = GMIME_MULTIPART(object);
    const int count = g_mime_multipart_get_count(multipart);
    for (int i = 0; i < count; ++i) collect(g_mime_multipart_get_part(multipart, i), depth + 1);
  } else {
    // An attached message stays one part: saving it gives back the whole message.
    leaves_.push_back(object);
  }
}

void MimeMessage::classify() {
  for (PartHandle part = 1; part <= leaves_.size(); ++part) {
    GMimeObject* object = leaf(part);
    const bool inlineText = GMIME_IS_TEXT_PART(object) && !isAttachmentDisposition(object) &&
                            fileName(part).empty();
    if (inlineText && html_ == 0 && isType(object, "text", "html")) {
      html_ = part;
    } else if (inlineText && text_ == 0 && isType(object, "text", "plain")) {
      text_ = part;
    } else {
      attachments_.push_back(part);
    }
  }
}

GMimeObject* MimeMessage::leaf(PartHandle part) const {
  return part >= 1 && part <= leaves_.size() ? leaves_[part - 1] : nullptr;
}

std::string MimeMessage::decodedBytes(PartHandle part) const {
  GMimeObject* object = leaf(part);
  if (!object) return {};
  GObjectPtr<GMimeStream> out(g_mime_stream_mem_new());
  if (GMIME_IS_MESSAGE_PART(object)) {
    GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
    if (inner) g_mime_object_write_to_stream(GMIME_OBJECT(inner), nullptr, out.get());
  } else if (GMIME_IS_PART(object)) {
    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(object));
    if (content) g_mime_data_wrapper_write_to_stream(content, out.get());
  }
  g_mime_stream_flush(out.get());
  return streamBytes(out.get());
}

std::string MimeMessage::text(PartHandle part) const {
  GMimeObject* object = leaf(part);
  if (object && GMIME_IS_TEXT_PART(object)) {
    return takeGString(g_mime_text_part_get_text(GMIME_TEXT_PART(object)));
  }
  return decodedBytes(part);
}

std::string MimeMessage::fileName(PartHandle part) const {
  GMimeObject* object = leaf(part);
  if (!object) return {};
  const char* name = g_mime_object_get_content_disposition_parameter(object, "filename");
  return orEmpty(name ? name : g_mime_object_get_content_type_parameter(object, "name"));
}

std::string MimeMessage::displayName(PartHandle part) const {
  GMimeObject* object = leaf(part);
  if (!object) return {};
  if (const char* name = g_mime_object_get_content_type_parameter(object, "name")) return name;
  return decodeHeaderText(orEmpty(g_mime_object_get_header(object, "Content-Description")));
}

std::string MimeMessage::contentId(PartHandle part) const {
  GMimeObject* object = leaf(part);
  return object ? orEmpty(g_mime_object_get_content_id(object)) : std::string();
}

bool MimeMessage::save(PartHandle part, const std::filesystem::path& path) const {
  if (!leaf(part)) return false;
  const std::string bytes = decodedBytes(part);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace mailvane::store
