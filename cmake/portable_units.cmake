# The portable units that read outside input or talk to the service, for the
# side builds (bench/, fuzz/) that compile them as the native build does.
set(KESTRID_PORTABLE_UNITS
  framework/cstring.cpp
  base/command_line.cpp
  base/application_name.cpp
  base/version_file.cpp
  base/program_folder.cpp
  base/settings_store.cpp
  base/settings_store_posix.cpp
  service/response_scanning.cpp
  service/text_at_wire.cpp
  service/code_page_1252.cpp
  service/service_endpoint.cpp
  service/http_exchange.cpp
  service/contact_record.cpp
  service/contact_listing.cpp
  service/account_lookup.cpp
  service/cover_pages.cpp
  service/fax_submission.cpp)
list(TRANSFORM KESTRID_PORTABLE_UNITS PREPEND "${KESTRID_ROOT}/")
