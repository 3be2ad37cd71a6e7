// The media library opened on demand: a library that is missing or is not libmpv is told once
// and gives no functions; the real one opens in the background once, whoever asks first.
#include <QStringList>
#include <gtest/gtest.h>

#include "platform/messagebox.h"
#include "platform/mpvlib.h"

using namespace sf;

TEST(MediaLibrary, AMissingOrForeignLibraryIsToldOnceAndGivesNothing) {
  QStringList messages;
  SetMessageSink([&](const QString& m) { messages << m; });
  {
    TMpvLoader missing("/nonexistent/libmpv.so.2");
    EXPECT_FALSE(missing.Settled());
    EXPECT_EQ(missing.Wait(), nullptr);
    EXPECT_TRUE(missing.Settled());
    EXPECT_EQ(missing.Wait(), nullptr);  // every player asks: the user is told once
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("The media player library /nonexistent/libmpv.so.2 cannot be loaded: ")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].endsWith(".\nThe show goes on without music and video.")) << messages[0].toStdString();
  }
  {
    // A library that is there but is not libmpv, opened in the background.
    TMpvLoader foreign("libz.so.1");
    foreign.Begin();
    EXPECT_EQ(foreign.Wait(), nullptr);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].contains("has no mpv_client_api_version: not a libmpv")) << messages[1].toStdString();
  }
  SetMessageSink({});
}

TEST(MediaLibrary, OpensInTheBackgroundOnce) {
  QStringList messages;
  SetMessageSink([&](const QString& m) { messages << m; });
  TMpvLoader loader("libmpv.so.2");
  loader.Begin();
  loader.Begin();  // begun already: no second opening
  const TMpvApi* api = loader.Wait();
  SetMessageSink({});
  if (api == nullptr) GTEST_SKIP() << "libmpv.so.2 is not installed: " << messages.value(0).toStdString();
  EXPECT_TRUE(loader.Settled());
  EXPECT_EQ(loader.Wait(), api);
  EXPECT_EQ(api->client_api_version() >> 16, MPV_CLIENT_API_VERSION >> 16);
  mpv_handle* mpv = api->create();
  ASSERT_NE(mpv, nullptr);
  api->terminate_destroy(mpv);
  EXPECT_TRUE(messages.isEmpty());
}
