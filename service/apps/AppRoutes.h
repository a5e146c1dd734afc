#pragma once

namespace service {

class Server;
struct Call;

// The app market: "/api/qtz/front_app_category", "/api/qtz/front_app_list",
// "/app/<id>/icon.png", "/api/qtz/front_app_install", "/api/qtz/front_app_del"
// and the app upload through "/api/qtz/front_device_file_upload" with
// "is_app" 1. Test controls: "apps/catalogue" (POST a catalogue as JSON
// {"categories": [{"id","pId","name"}], "apps": [{"id","source_type",
// "source","name","version","category"}]}, listed in the order given),
// "apps/stress?count=N" (N market apps) and "apps/installs" (what was asked).
void RegisterAppRoutes(Server& server);

// The app upload ("is_app" 1): a new app of source type 2 for the user. A
// route that serves the same path for device files hands these calls here.
void AcceptAppUpload(Call& call);

}  // namespace service
