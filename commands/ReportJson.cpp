#include "commands/FileReport.h"
#include "formats/JsonLines.h"

namespace {

void addProfile(JsonRecord& record, const MotionProfile& profile)
{
    record["joints"] = profile.joints;
    record["end_sites"] = profile.endSites;
    record["channels"] = profile.channels;
    record["frames"] = profile.frames;
    record["frame_time"] = profile.frameTime;
    record["duration"] = profile.duration;
    record["channel_layout"] = {{"3", profile.threeChannels}, {"6", profile.sixChannels}, {"other", profile.otherChannels}};
    JsonRecord& orders = record["rotation_orders"] = JsonRecord::object();
    for (const auto& [order, joints] : profile.rotationOrders) orders[order] = joints;
    record["height"] = profile.height;
    record["unit"] = profile.unit;
    record["up"] = profile.up;
}

JsonRecord findingsOf(const FileReport& report)
{
    if (!report.linted) return nullptr;
    JsonRecord findings = JsonRecord::array();
    for (const LintFinding& finding : report.findings) {
        findings.push_back(
            JsonRecord{{"code", finding.code}, {"line", finding.line}, {"count", finding.count}, {"message", finding.message}});
    }
    return findings;
}

}  // namespace

std::string jsonReport(const FileReport& report, Look look)
{
    JsonRecord record;
    setPath(record, "file", report.file->path.c_str(), report.path);
    record["verdict"] = report.accepted ? "ok" : "refused";
    if (!report.accepted) {
        record["line"] = report.refusedLine;
        record["reason"] = report.reason;
        return jsonLine(record);
    }
    addProfile(record, report.profile);
    if (look == Look::Lint) record["findings"] = findingsOf(report);
    return jsonLine(record);
}
