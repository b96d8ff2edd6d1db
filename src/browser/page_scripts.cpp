#include "browser/page_scripts.h"

namespace pellaro {

const std::wstring& LoaderScript() {
    static const std::wstring script =
        LR"JS((function(){
if(window._pellaroLoaderAdded)return;window._pellaroLoaderAdded=true;
function addLoader(){
if(document.getElementById('pellaro-full-loader'))return;
var d=document.createElement('div');d.id='pellaro-full-loader';
d.style.cssText='position:fixed;top:0;left:0;width:100vw;height:100vh;background:#202020;z-index:2147483647;display:flex;flex-direction:column;align-items:center;justify-content:center;opacity:1;transition:opacity 0.5s ease-out;';
var st=document.createElement('style');st.textContent='@keyframes pellaro-spin{to{transform:rotate(360deg);}}';
var sp=document.createElement('div');
sp.style.cssText='width:60px;height:60px;border:6px solid rgba(255,255,255,0.2);border-top:6px solid #3498db;border-radius:50%;animation:pellaro-spin 1s linear infinite;margin-bottom:20px;';
var tx=document.createElement('div');
tx.style.cssText='color:#fff;font-size:20px;font-family:sans-serif;text-align:center;';
tx.textContent='جاري التحميل... Loading...';
d.appendChild(st);d.appendChild(sp);d.appendChild(tx);
(document.body||document.documentElement).appendChild(d);
}
function hideLoader(){
var d=document.getElementById('pellaro-full-loader');if(!d)return;
d.style.opacity='0';setTimeout(function(){if(d.parentNode)d.parentNode.removeChild(d);},500);
}
if(document.readyState==='loading'){document.addEventListener('DOMContentLoaded',addLoader);}else{addLoader();}
window.addEventListener('load',hideLoader);
setTimeout(hideLoader,5000);
})();)JS";
    return script;
}

const std::wstring& PrintBlockScript() {
    static const std::wstring script =
        LR"JS((function(){
if(window._pellaroPrintBlockAdded)return;window._pellaroPrintBlockAdded=true;
function requestSystemPrint(){
if(window.chrome&&window.chrome.webview){window.chrome.webview.postMessage('requestPrint');}
}
try{
window.print=requestSystemPrint;
Object.defineProperty(window,'print',{value:requestSystemPrint,writable:false,configurable:false});
}catch(e){}
document.addEventListener('keydown',function(e){
if(!(e.ctrlKey||e.metaKey))return;
var k=e.key;
if(k==='p'){e.preventDefault();e.stopImmediatePropagation();requestSystemPrint();return;}
if(k==='s'||(e.shiftKey&&k==='S')||k==='o'||k==='O'){e.preventDefault();e.stopImmediatePropagation();}
},true);
window.addEventListener('beforeprint',function(e){e.preventDefault();},true);
})();)JS";
    return script;
}

namespace {

// Calls fn at DOMContentLoaded, or at once when the document is past loading.
constexpr std::wstring_view kWhenReady =
    LR"JS(function whenReady(fn){if(document.readyState==='loading'){document.addEventListener('DOMContentLoaded',fn);}else{fn();}}
)JS";

// Starts a re-insertion observer once the document element exists.
constexpr std::wstring_view kObserve =
    LR"JS(function observe(fn){
if(document.documentElement){new MutationObserver(fn).observe(document.documentElement,{childList:true,subtree:true});}
else{document.addEventListener('DOMContentLoaded',function(){observe(fn);},{once:true});}
}
)JS";

constexpr std::wstring_view kWatermarkPrefix =
    LR"JS((function(){
if(window._pellaroWatermarkAdded)return;window._pellaroWatermarkAdded=true;
var text=')JS";

}  // namespace

std::wstring WatermarkScript(std::wstring_view escapedText) {
    static const std::wstring suffix = std::wstring(
                                           LR"JS(';
)JS") + std::wstring(kWhenReady) + std::wstring(kObserve) +
                                       LR"JS(function addWatermark(){
if(document.getElementById('pellaro-watermark'))return;
var w=document.createElement('div');w.id='pellaro-watermark';w.textContent=text;
w.style.cssText='position:fixed;top:0;left:0;width:100%;height:100%;pointer-events:none;z-index:2147483646;opacity:0.15;display:flex;align-items:center;justify-content:center;font-size:3vw;color:red;transform:rotate(-30deg);font-family:Arial,sans-serif;font-weight:bold;';
(document.body||document.documentElement).appendChild(w);
}
whenReady(addWatermark);
observe(function(){if(!document.getElementById('pellaro-watermark')&&document.body)addWatermark();});
})();)JS";
    std::wstring script(kWatermarkPrefix);
    script += escapedText;
    script += suffix;
    return script;
}

const std::wstring& PrintButtonScript() {
    static const std::wstring script = std::wstring(
                                           LR"JS((function(){
if(window._pellaroPrintBtnAdded)return;window._pellaroPrintBtnAdded=true;
)JS") + std::wstring(kWhenReady) + std::wstring(kObserve) +
                                       LR"JS(function addPrintBtn(){
if(document.getElementById('pellaro-print-btn'))return;
var b=document.createElement('button');b.id='pellaro-print-btn';b.innerHTML='&#128424;';b.title='Print';
b.style.cssText='position:fixed;bottom:24px;right:24px;width:48px;height:48px;border-radius:50%;border:none;background:rgba(33,150,243,0.9);color:#fff;font-size:22px;cursor:pointer;z-index:2147483647;box-shadow:0 4px 12px rgba(0,0,0,0.3);transition:transform 0.2s,background 0.2s;';
b.addEventListener('mouseenter',function(){b.style.transform='scale(1.1)';b.style.background='rgba(33,150,243,1)';});
b.addEventListener('mouseleave',function(){b.style.transform='scale(1)';b.style.background='rgba(33,150,243,0.9)';});
b.addEventListener('click',function(){if(window.chrome&&window.chrome.webview){window.chrome.webview.postMessage('requestPrint');}});
(document.body||document.documentElement).appendChild(b);
}
whenReady(addPrintBtn);
observe(function(){if(!document.getElementById('pellaro-print-btn')&&document.body)addPrintBtn();});
})();)JS";
    return script;
}

const std::wstring& NavigationBarScript() {
    static const std::wstring script =
        std::wstring(
            LR"JS((function(){
if(window._pellaroNavAdded)return;window._pellaroNavAdded=true;
)JS") + std::wstring(kWhenReady) +
        std::wstring(kObserve) +
        LR"JS(function post(word){if(window.chrome&&window.chrome.webview){window.chrome.webview.postMessage(word);}}
function showLoader(){
var d=document.getElementById('pellaro-full-loader');
if(d){d.style.display='flex';}
else{
var host=document.body||document.documentElement;if(!host)return;
d=document.createElement('div');d.id='pellaro-full-loader';
d.style.cssText='position:fixed;top:0;left:0;width:100vw;height:100vh;background:rgba(255,255,255,0.7);backdrop-filter:blur(3px);z-index:2147483647;display:flex;align-items:center;justify-content:center;';
var st=document.createElement('style');st.textContent='@keyframes pellaro-spin{to{transform:rotate(360deg);}}';
var sp=document.createElement('div');
sp.style.cssText='width:50px;height:50px;border:5px solid rgba(0,0,0,0.1);border-top:5px solid #3498db;border-radius:50%;animation:pellaro-spin 1s linear infinite;';
d.appendChild(st);d.appendChild(sp);host.appendChild(d);
}
if(window._pellaroLoaderTimeout)clearTimeout(window._pellaroLoaderTimeout);
window._pellaroLoaderTimeout=setTimeout(function(){var x=document.getElementById('pellaro-full-loader');if(x)x.style.display='none';},5000);
}
window.addEventListener('beforeunload',showLoader);
window.addEventListener('keydown',function(e){
if((e.ctrlKey||e.metaKey)&&(e.key==='o'||e.key==='O')){e.preventDefault();e.stopImmediatePropagation();}
},true);
function storedPosition(key){
var v=null;try{v=localStorage.getItem(key);}catch(e){}
var n=parseInt(v===null?'20':v,10);return isNaN(n)?20:n;
}
var nav=null,dragging=false,moved=false,startX=0,startY=0,baseX=0,baseY=0;
window.addEventListener('mousemove',function(e){
if(!dragging||!nav)return;
var dx=e.clientX-startX,dy=e.clientY-startY;
if(Math.abs(dx)>3||Math.abs(dy)>3)moved=true;
nav.style.left=(baseX+dx)+'px';nav.style.top=(baseY+dy)+'px';
});
window.addEventListener('mouseup',function(){
if(!dragging)return;dragging=false;
if(nav){nav.style.cursor='';
if(moved){try{localStorage.setItem('pl_nx',String(nav.offsetLeft));localStorage.setItem('pl_ny',String(nav.offsetTop));}catch(e){}}
void nav.offsetLeft;nav.style.transition='all 0.3s ease';}
});
var buttons=[['&#127968;','Home','btn_home'],['&#8592;','Back','btn_back'],['&#8635;','Reload','btn_reload'],['&#9974;','Fullscreen','btn_fullscreen']];
function injectNav(){
if(document.getElementById('pellaro-nav-container')||!document.body)return;
var c=document.createElement('div');c.id='pellaro-nav-container';
c.style.cssText='position:fixed;left:'+storedPosition('pl_nx')+'px;top:'+storedPosition('pl_ny')+'px;z-index:2147483646;display:flex;align-items:center;gap:10px;padding:8px;background:rgba(0, 0, 0, 0.4);backdrop-filter:blur(10px);border-radius:12px;opacity:0.4;transition:all 0.3s ease;box-shadow:0 4px 6px rgba(0,0,0,0.1);';
var grip=document.createElement('div');
grip.style.cssText='width:20px;height:20px;cursor:grab;opacity:0.7;display:flex;';
grip.innerHTML='<svg width="20" height="20" viewBox="0 0 24 24" fill="#fff"><circle cx="9" cy="5" r="2"/><circle cx="15" cy="5" r="2"/><circle cx="9" cy="12" r="2"/><circle cx="15" cy="12" r="2"/><circle cx="9" cy="19" r="2"/><circle cx="15" cy="19" r="2"/></svg>';
c.appendChild(grip);
var labels=[],btns=[];
buttons.forEach(function(item){
var b=document.createElement('button');
b.style.cssText='background:rgba(255,255,255,0.9);border:none;padding:8px;border-radius:8px;cursor:pointer;font-weight:bold;font-family:sans-serif;color:#333;display:flex;align-items:center;transition:all 0.3s ease;';
var icon=document.createElement('span');icon.innerHTML=item[0];
var label=document.createElement('span');label.className='nav-text';label.textContent=item[1];
label.style.cssText='max-width:0;opacity:0;overflow:hidden;white-space:nowrap;display:inline-block;transition:all 0.3s ease;';
b.appendChild(icon);b.appendChild(label);
b.addEventListener('click',function(e){
if(moved){e.preventDefault();e.stopPropagation();moved=false;return;}
if(item[2]!=='btn_fullscreen')showLoader();
post(item[2]);
});
labels.push(label);btns.push(b);c.appendChild(b);
});
c.addEventListener('mousedown',function(e){
dragging=true;moved=false;startX=e.clientX;startY=e.clientY;baseX=c.offsetLeft;baseY=c.offsetTop;c.style.cursor='grabbing';
c.style.transition='none';
});
c.addEventListener('mouseenter',function(){
c.style.opacity='1';c.style.transform='scale(1.05)';
btns.forEach(function(b){b.style.padding='8px 16px';});
labels.forEach(function(l){l.style.maxWidth='50px';l.style.opacity='1';l.style.marginLeft='4px';});
});
c.addEventListener('mouseleave',function(){
c.style.opacity='0.4';c.style.transform='scale(1)';
btns.forEach(function(b){b.style.padding='8px';});
labels.forEach(function(l){l.style.maxWidth='0';l.style.opacity='0';l.style.marginLeft='0';});
});
nav=c;document.body.appendChild(c);
}
whenReady(injectNav);
observe(function(){if(!document.getElementById('pellaro-nav-container')&&document.body)injectNav();});
})();)JS";
    return script;
}

std::wstring PageScriptWrapper(std::wstring_view pageScript) {
    std::wstring script = L"(function(){function run(){";
    script += pageScript;
    script +=
        L"}if(document.readyState==='loading'){document.addEventListener('DOMContentLoaded',run);}else{run();}})();";
    return script;
}

PlayerContentPlan PlanPlayerContent(const ContentDescriptor& content, std::wstring_view escapedWatermark) {
    PlayerContentPlan plan;
    plan.scripts = {LoaderScript(), PrintBlockScript()};
    if (content.contentType.Kind() == ContentKind::Page) {
        if (!content.pageScript.empty()) plan.scripts.push_back(PageScriptWrapper(content.pageScript));
        plan.address = content.contentUrl;
    } else if (content.contentType.Kind() == ContentKind::Pdf) {
        plan.scripts.push_back(WatermarkScript(escapedWatermark));
        plan.scripts.push_back(PrintButtonScript());
        plan.address = content.contentUrl;
    } else {
        plan.localPage = true;
    }
    return plan;
}

std::vector<std::wstring> HomeScripts() { return {PrintBlockScript(), NavigationBarScript()}; }

}  // namespace pellaro
