// orloctl update check: the settings window's version queries for the devices present and the
// application, printed as one JSON document.
#include <json/json.h>

#include <string>
#include <vector>

#include "CtlSupport.h"
#include "update/CurlHttpClient.h"
#include "update/UpdateList.h"
#include "update/UpdateQuery.h"
#include "update/UpdateRows.h"
#include "update/UpdateSettings.h"

namespace orloctl {
namespace {

namespace up = orlo::update;

Json::Value RowJson(const up::UpdateListRow& row) {
  Json::Value v(Json::objectValue);
  v["row"] = static_cast<Json::UInt>(row.tableRow);
  v["key"] = up::CUpdateQuery::Key(row.entry);
  v["name"] = row.name;
  v["current"] = row.currentText;
  v["new"] = row.newText;
  v["path"] = row.path;
  v["device_id"] = row.deviceId;
  v["status"] = row.status;
  v["available"] = row.status == up::kStatusNeedUpdate || row.status == up::kStatusNeedUpdateToo;
  return v;
}

int RunUpdate(const GlobalOptions& options, const std::vector<std::string>& args) {
  const char* usage = "usage: update check [--url BASE] [--ca FILE]";
  if (args.size() < 2 || args[1] != "check") throw UsageError{usage};
  std::string url, ca;
  for (size_t i = 2; i < args.size(); ++i) {
    if ((args[i] == "--url" || args[i] == "--ca") && i + 1 < args.size()) {
      (args[i] == "--url" ? url : ca) = args[i + 1];
      ++i;
      continue;
    }
    throw UsageError{usage};
  }
  return Guarded([&] {
    if (!up::UpdateCheckBuilt()) throw CommandFailure{"the update check is turned off in this build"};
    const std::string base = up::ServerBase(url);
    if (base.empty()) throw CommandFailure{"no update server set (use --url BASE or ORLO_UPDATE_URL)"};

    const auto rows = up::MakeUpdateRows(up::WiredFirmwareVersions(SelectBackend(options)), up::ApplicationVersion());
    up::CurlClientOptions clientOptions;
    clientOptions.caFile = up::CaFile(ca);
    clientOptions.userAgent = up::UserAgent();
    up::CCurlHttpClient client(clientOptions);
    const up::CUpdateQuery query(client, base, up::DownloadFolder());

    up::CUpdateList list;
    list.BeginCheck(rows, "");
    for (size_t i = 0; i < list.Rows().size(); ++i) {
      const up::UpdateResult result = query.Query(list.Rows()[i].entry);
      // One unanswered query makes the whole answer unknown: nothing is reported as available.
      if (result.failed) throw CommandFailure{"update check for " + list.Rows()[i].name + ": " + result.failure};
      list.ApplyResult(i, result);
    }
    list.FinishCheck("");

    Json::Value doc(Json::objectValue);
    doc["available"] = list.State() == up::kStateHaveUpdate;
    doc["rows"] = Json::Value(Json::arrayValue);
    for (const auto& row : list.Rows()) doc["rows"].append(RowJson(row));
    PrintJson(doc);
    return 0;
  });
}

CtlCommand updateCommand{{"update", "Update",
                          "  orloctl update check [--url BASE] [--ca FILE] — ask the update server about the devices\n"
                          "      present and the application; prints {\"available\", \"rows\": [...]} as JSON\n"
                          "      (BASE: https URL ending in /api/, also ORLO_UPDATE_URL; FILE: PEM authorities to\n"
                          "      trust instead of the system's, also ORLO_UPDATE_CA)",
                          RunUpdate}};

}  // namespace
}  // namespace orloctl
