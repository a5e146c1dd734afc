#pragma once

namespace service {

class Server;
struct Call;

// The app market: "/api/qtz/front_app_category", "/api/qtz/front_app_list",
// "/app/<id>/icon.png", "/api/qtz/front_app_install" and
// "/api/qtz/front_app_del". Test controls: "apps/catalogue" (POST a catalogue as JSON
// {"categories": [{"id","pId","name"}], "apps": [{"id","source_type",
// "source","name","version","category"}]}, listed in the order given),
// "apps/stress?count=N" (N market apps) and "apps/installs" (what was asked).
void RegisterAppRoutes(Server& server);

// The app upload ("/api/qtz/front_device_file_upload" with "is_app" 1): a
// new app of source type 2 for the user. The device upload route hands
// these calls here.
void AcceptAppUpload(Call& call);

} // namespace service
